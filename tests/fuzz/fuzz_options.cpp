// Fuzzes the launcher's command-line handling with the buffers the launcher uses:
// recognition, -d/-f values, blanking inside a command line, folder cutting.
#include "options.h"
#include "textutil.h"

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<char> line(data, data + size);
    line.push_back('\0');
    const char* szArguments = pszArgumentText(line.data());

    char szCommandLine[256];
    if (bJoinText(szCommandLine, sizeof szCommandLine, "A:\\INST2K.EXE ", szArguments)) {
        char* szArgumentPart = szCommandLine + strlen("A:\\INST2K.EXE ");
        vBlankOption(szArgumentPart, "-b");
        vBlankOption(szArgumentPart, "-k");
    }
    for (const char* szOption : { "-d", "-f" }) {
        char szValue[260];
        if (bOptionValue(szArguments, szOption, szValue, sizeof szValue)) {
            bAppendText(szValue, sizeof szValue, "\\");
            for (int i = 0; i < 3; ++i)
                vCutLastFolder(szValue);
        }
    }
    iFindOption(szArguments, "-r");
    return 0;
}
