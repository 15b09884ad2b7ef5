// The folder of the running test case in the test prefix, C:\nictest\Suite.Case, where
// an end-to-end test lays out its driver disk and the stand-ins' records.
#pragma once
#include <gtest/gtest.h>

#include <string>

namespace harness {

inline std::string TestRoot()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string root = std::string("C:\\nictest\\") + info->test_suite_name() + "." + info->name();
    for (char& c : root)
        if (c == '/')   // parameterised names
            c = '_';
    return root;
}

}  // namespace harness
