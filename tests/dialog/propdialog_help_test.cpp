// The Help button: it starts the help viewer and leaves the dialog open.  WinExec's
// arguments are seen through wine's relay trace: this program prints, for each click,
// the trace line that must appear ("relay-expect: " and an extended regular
// expression), and relay-check runs it under the trace and looks for those lines.
#include "dialogdriver.h"
#include "propdialog_ids.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <stdio.h>

#include <string>

using dialogtest::DialogSession;

namespace {

// How wine's trace shows a text argument: in quotes, with backslashes doubled.
std::string TraceText(const std::string& text)
{
    std::string shown;
    for (char c : text)
        shown += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return shown;
}

std::string RegexEscaped(const std::string& text)
{
    std::string escaped;
    for (char c : text) {
        if (std::string("\\.[](){}*+?^$|").find(c) != std::string::npos)
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

// The trace keeps the first few hundred characters of a text; of a longer command only
// its start up to uShown characters is expected, followed by the trace's "...".  The
// show command is a 32-bit argument, whose upper half the trace may show as garbage.
void ExpectWinExec(const std::string& command, size_t uShown)
{
    bool cut = command.size() > uShown;
    std::string text = RegexEscaped(TraceText(command.substr(0, uShown)));
    std::string tail = cut ? "[^\"]*\"\\.\\.\\.," : "\",";
    printf("relay-expect: Call KERNEL32\\.WinExec\\([0-9a-f]+ \"%s%s[0-9a-f]*00000005\\)\n", text.c_str(),
           tail.c_str());
    fflush(stdout);
}

std::string SystemDirectory()
{
    char szDirectory[MAX_PATH] = "";
    GetSystemDirectoryA(szDirectory, sizeof szDirectory);
    return szDirectory;
}

// The viewers that the clicks started are children of this process; they are ended
// here so that none outlives the test.
void EndViewers()
{
    HANDLE hSnapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(hSnapshot, &entry); more; more = Process32Next(hSnapshot, &entry)) {
        if (entry.th32ParentProcessID != GetCurrentProcessId() || lstrcmpiA(entry.szExeFile, "winhlp32.exe") != 0)
            continue;
        HANDLE hProcess = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
        if (hProcess != nullptr) {
            TerminateProcess(hProcess, 0);
            WaitForSingleObject(hProcess, 5000);
            CloseHandle(hProcess);
        }
    }
    CloseHandle(hSnapshot);
}

TEST(PropertyDialogHelp, StartsTheViewerAndStaysOpen)
{
    const std::string longHelp = std::string(600, 'h') + ".hlp";
    const size_t kWhole = 100000;
    struct Case { std::string help; size_t uShown; } cases[] = {
        { "nic help.hlp", kWhole },         // spaces passed on, no quotes added
        { "", kWhole },                     // the command ends with the viewer's space
        { longHelp, 150 },                  // far beyond the old 256-character area
    };
    for (const Case& c : cases) {
        DialogSession dialog({ "{\"a\"}", "{\"1\"}", "{\"0,1\"}", "{\"Off,On\"}", "{\"enum\"}", c.help });
        ASSERT_TRUE(dialog.Open()) << c.help.size();
        dialog.Click(IDC_HELP_BUTTON);
        EXPECT_TRUE(dialog.Open()) << "help of " << c.help.size() << " characters";
        dialog.Finish(IDOK);
        EXPECT_TRUE(dialog.Result());
        EXPECT_EQ(dialog.ResultText(), "{\"1\"}");
        EndViewers();
        // After the session, whose capture of standard output has ended.
        ExpectWinExec(SystemDirectory() + "\\winhlp32 " + c.help, c.uShown);
    }
}

}  // namespace
