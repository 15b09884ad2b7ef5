// Fuzzes the launcher's command-line handling with the launcher's own buffers and in the
// order of its main flow: the argument text, option recognition, the -d and -f values,
// blanking -b and -k inside the setup program's command line, and the INF folder's
// cuts.  Beyond the sanitizers it checks each result against the rules it follows.
#include "fuzzcheck.h"

#include "format.h"
#include "options.h"
#include "textutil.h"

#include <string.h>

#include <string>
#include <vector>

namespace {

// The launcher's capacities (launcher.h, which needs windows.h).
const size_t kPathCapacity = 260;   // szInfFolder, szInfFile
const size_t kNameCapacity = 256;   // szCommandLine
const char kSetupFolder[] = "A:\\";
const char kSetupProgram[] = "INST2K.EXE";
const size_t kDriveRootLength = 3;

// The value of an option by its rules, with no capacity: after the option and the
// blanks that follow it, up to the next blank.
bool bRuleValue(const std::string& arguments, const char* szOption, std::string* pValue)
{
    size_t uAt = arguments.find(szOption);
    if (uAt == std::string::npos)
        return false;
    size_t uStart = arguments.find_first_not_of(' ', uAt + strlen(szOption));
    if (uStart == std::string::npos)
        uStart = arguments.size();
    *pValue = arguments.substr(uStart, arguments.find(' ', uStart) - uStart);
    return true;
}

void vCheckValue(const std::string& arguments, const char* szOption, size_t uCapacity)
{
    std::vector<char> value(uCapacity, 'x');   // on the heap, so ASan sees its end
    std::string rule;
    bool bPresent = bRuleValue(arguments, szOption, &rule);
    bool bGot = bOptionValue(arguments.c_str(), szOption, value.data(), uCapacity);
    vFuzzAssert(strnlen(value.data(), uCapacity) < uCapacity, "the value ends inside its buffer");
    if (bGot) {
        vFuzzAssert(bPresent && rule == value.data(), "an accepted value is the text after the option up to a blank");
        return;
    }
    vFuzzAssert(value[0] == '\0', "a refused value is empty");
    vFuzzAssert(!bPresent || rule.size() >= uCapacity, "only an absent option or a value too long is refused");
}

// The main flow's blanking: two blanks over the first -b and the first -k of the argument
// part of the command line, which begins with the unquoted program path.
void vCheckBlanking(const char* szArguments)
{
    char szCommandLine[kNameCapacity];
    if (iFormatText(szCommandLine, sizeof szCommandLine, "%s%s %s", kSetupFolder, kSetupProgram,
                    szArguments) < 0)
        return;   // refused by the launcher before anything is blanked
    const std::string before = szCommandLine;
    const size_t uArgumentPart = strlen(kSetupFolder) + strlen(kSetupProgram) + 1;
    std::string expected = before;
    size_t uBlanked = 0;
    for (const char* szOption : { "-b", "-k" }) {
        int iAt = iFindOption(szArguments, szOption);
        vFuzzAssert(iAt < 0 || strncmp(szArguments + iAt, szOption, 2) == 0, "a found option is where it was found");
        vFuzzAssert(iAt < 0 || strstr(szArguments, szOption) == szArguments + iAt, "the first occurrence is found");
        vFuzzAssert((iAt >= 0) == bHasOption(szArguments, szOption), "presence and position agree");
        if (iAt >= 0) {
            expected.replace(uArgumentPart + static_cast<size_t>(iAt), 2, "  ");
            uBlanked += 2;
        }
        vBlankOption(szCommandLine + uArgumentPart, szOption);
    }
    vFuzzAssert(expected == szCommandLine, "blanking writes blanks over the first occurrences only");
    size_t uChanged = 0;
    for (size_t i = 0; i < before.size(); ++i)
        uChanged += before[i] != szCommandLine[i];
    vFuzzAssert(uChanged == uBlanked, "blanking changes exactly two characters per option present");
}

void vCheckCut(char* szFolder)
{
    const std::string before = szFolder;
    vCutLastFolder(szFolder);
    const std::string after = szFolder;
    if (before.size() <= kDriveRootLength) {
        vFuzzAssert(after == before, "a text of three characters or fewer stays");
        return;
    }
    vFuzzAssert(after.size() < before.size() && after.back() == '\\', "a cut text is shorter and ends in a backslash");
    std::string inner = before.substr(0, before.size() - (before.back() == '\\' ? 1 : 0));
    if (inner.find('\\') == std::string::npos) {
        vFuzzAssert(after == ".\\", "a folder with no inner level becomes the current folder");
        return;
    }
    vFuzzAssert(before.compare(0, after.size(), after) == 0, "a cut keeps the start of the text");
    vFuzzAssert(inner.find('\\', after.size()) == std::string::npos, "a cut removes the last level only");
}

// The INF folder as the main flow builds it from -d, then the tries of discovery.
void vCheckFolderTries(const char* szArguments)
{
    char szFolder[kPathCapacity];
    if (!bOptionValue(szArguments, "-d", szFolder, sizeof szFolder))
        return;
    size_t uLength = strlen(szFolder);
    if ((uLength == 0 || szFolder[uLength - 1] != '\\') && !bAppendText(szFolder, sizeof szFolder, "\\")) {
        vFuzzAssert(strlen(szFolder) == uLength, "a refused append leaves the folder as it was");
        return;
    }
    vCheckCut(szFolder);
    vCheckCut(szFolder);
    if (strlen(szFolder) > kDriveRootLength)
        szFolder[kDriveRootLength] = '\0';
    vCheckCut(szFolder);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<char> line(data, data + size);
    line.push_back('\0');
    const char* szArguments = pszArgumentText(line.data());
    vFuzzAssert(szArguments >= line.data() && szArguments <= line.data() + strlen(line.data()),
           "the argument text lies inside the command line");
    vFuzzAssert(*szArguments != ' ' && *szArguments != '\t', "the argument text starts past the blanks");

    const std::string arguments = szArguments;
    for (const char* szOption : { "-d", "-f" })
        for (size_t uCapacity : { size_t(1), size_t(2), size_t(16), kPathCapacity })
            vCheckValue(arguments, szOption, uCapacity);
    vCheckBlanking(szArguments);
    vCheckFolderTries(szArguments);
    return 0;
}
