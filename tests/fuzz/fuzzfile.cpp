#include "fuzzcheck.h"

#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

// One folder per process, on tmpfs when there is one: the targets write a file for
// every input, millions of times.
std::string gFolder;
std::vector<std::string> gFiles;

void vRemoveFolder()
{
    for (const std::string& file : gFiles)
        unlink(file.c_str());
    rmdir(gFolder.c_str());
}

const std::string& Folder()
{
    if (!gFolder.empty())
        return gFolder;
    const char* szBase = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : getenv("TMPDIR");
    std::string pattern = std::string(szBase != nullptr ? szBase : "/tmp") + "/nicfuzz.XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    vFuzzAssert(mkdtemp(name.data()) != nullptr, "a temporary folder can be made");
    gFolder = name.data();
    atexit(vRemoveFolder);
    return gFolder;
}

}  // namespace

FuzzFile::FuzzFile(const char* szName) : m_path(Folder() + "/" + szName)
{
    gFiles.push_back(m_path);
}

void FuzzFile::Write(const uint8_t* pbyData, size_t uSize) const
{
    FILE* pFile = fopen(m_path.c_str(), "wb");
    vFuzzAssert(pFile != nullptr, "the input file can be written");
    bool bWritten = uSize == 0 || fwrite(pbyData, 1, uSize, pFile) == uSize;
    vFuzzAssert(fclose(pFile) == 0 && bWritten, "the input file is written whole");
}

FILE* FuzzFile::OpenRead() const
{
    FILE* pFile = fopen(m_path.c_str(), "r");
    vFuzzAssert(pFile != nullptr, "the input file can be read");
    return pFile;
}
