// The fixture base of the nicstart end-to-end tests: a driver disk folder in the test
// case's own folder (testroot.h), emptied with the setup log before each case and
// removed after it.
#pragma once
#include "harness.h"
#include "launcher_texts.h"
#include "testroot.h"

#include <gtest/gtest.h>

#include <string>

namespace harness {

class DiskTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = TestRoot();
        ResetDisk();
    }

    void TearDown() override { RemoveTree(root); }

    // Empties the test case's folder, makes the disk folder (which ends in a backslash)
    // and deletes the setup log, so that a case sees only its own run.
    void ResetDisk(const std::string& diskFolder)
    {
        RemoveTree(root);
        disk = diskFolder;
        MakeDirs(disk);
        DeleteFileA(launcher_texts::kLogPath);
    }
    // The same with the case's usual disk folder, "disk\" in its folder.
    void ResetDisk() { ResetDisk(root + "\\disk\\"); }

    std::string root;
    std::string disk;
};

}  // namespace harness
