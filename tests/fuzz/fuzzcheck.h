// What the fuzz targets share: a property check that stops the run with the name of the
// property that failed, and the INF text cut into pieces the way fgets with a 128-byte
// buffer cuts it, for the targets that compare a parser with a plain model of its rules.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

// libFuzzer keeps the input of an abort as a crash artifact.
inline void vFuzzAssert(bool bHolds, const char* szProperty)
{
    if (bHolds)
        return;
    fprintf(stderr, "fuzz property failed: %s\n", szProperty);
    abort();
}

// The pieces that fgets(buffer, 128, file) yields: up to and including a line feed,
// at most 127 bytes each.  A piece may hold NUL bytes; as C text it ends at the first.
inline std::vector<std::string> PiecesOf(const std::string& text)
{
    const size_t uPieceMax = 127;
    std::vector<std::string> pieces;
    size_t uAt = 0;
    while (uAt < text.size()) {
        size_t uEnd = uAt;
        while (uEnd < text.size() && uEnd - uAt < uPieceMax)
            if (text[uEnd++] == '\n')
                break;
        pieces.push_back(text.substr(uAt, uEnd - uAt));
        uAt = uEnd;
    }
    return pieces;
}

// A file of the given bytes in a folder of this process's own, read back by the code
// under test through the C library's FILE* path as the launcher reads the disk.
class FuzzFile {
public:
    explicit FuzzFile(const char* szName);
    const char* Path() const { return m_path.c_str(); }
    void Write(const uint8_t* pbyData, size_t uSize) const;
    FILE* OpenRead() const;

private:
    std::string m_path;
};
