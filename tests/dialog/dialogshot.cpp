// Shows the Advanced property dialog with one editor on screen and keeps it there for a
// screenshot (scripts/screenshot-dialog): opens the dialog on a fixed set of properties,
// selects the one for the editor named, writes the ready file, and cancels the dialog
// once the done file appears (or after 60 s).  Not part of the test run.
//   dialogshot enum|int|edit|notpresent|error READY-FILE DONE-FILE
//   dialogshot lists LISTS-FILE INDEX READY-FILE DONE-FILE
// The second form opens the dialog on the six ShowProp arguments of LISTS-FILE, one a
// line as the INF script passes them, selects the property at INDEX in the list's
// sorted order, and writes the number of properties and the name shown (one a line) to
// the ready file.  When ShowProp returns without a dialog, the ready file holds
// "refused" and ShowProp's result text instead.
#include "dialogdriver.h"
#include "harness.h"
#include "propdialog_ids.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

using dialogtest::DialogSession;

namespace {

const DWORD kWaitForDoneMs = 60000;
const DWORD kPollMs = 50;

// In the list box's sorted order: Connection Type, Network Address, Receive Buffers,
// Wake Up (the last one's key is absent, to show nothing is selected then).
const char* const kArgs[] = {
    "{\"Connection Type\",\"Receive Buffers\",\"Network Address\",\"Wake Up\"}",
    "{\"2\",\"64\",\"00A0C9123456\",\"000000000000\"}",
    "{\"0,1,2,3,4\",\"16,512\",\"\",\"\"}",
    "{\"Auto Detect,10 Mbps Half Duplex,10 Mbps Full Duplex,100 Mbps Half Duplex,100 Mbps Full Duplex\",\"\",\"\",\"\"}",
    "{\"enum\",\"int\",\"edit\",\"edit\"}",
    "nicprop.hlp",
};

void WriteLines(const char* path, const std::vector<std::string>& lines)
{
    FILE* file = fopen(path, "w");
    if (file == nullptr)
        return;
    for (const std::string& line : lines)
        fprintf(file, "%s\n", line.c_str());
    fclose(file);
}

void Touch(const char* path)
{
    WriteLines(path, {});
}

void WaitForDone(const char* path)
{
    for (DWORD waited = 0; waited < kWaitForDoneMs; waited += kPollMs) {
        if (harness::FileExists(path))
            break;
        Sleep(kPollMs);
    }
}

// The six ShowProp arguments, one a line; a missing line is an empty argument, as the
// INF script would pass it.
std::vector<std::string> ReadLists(const char* path)
{
    if (!harness::FileExists(path))
        return {};
    std::vector<std::string> args = harness::SplitLines(harness::ReadFileText(path));
    args.resize(sizeof kArgs / sizeof kArgs[0]);
    return args;
}

int ShowLists(const char* listsPath, int index, const char* readyPath, const char* donePath)
{
    std::vector<std::string> args = ReadLists(listsPath);
    if (args.empty())
        return 2;
    DialogSession dialog(args);
    if (!dialog.Open()) {
        WriteLines(readyPath, { "refused", dialog.ResultText() });
        return 3;
    }
    std::vector<std::string> names = dialog.ListEntries();
    bool listed = index >= 0 && index < static_cast<int>(names.size());
    if (listed)
        dialog.SelectProperty(index);
    Sleep(500);
    WriteLines(readyPath, { std::to_string(names.size()), listed ? names[index] : "" });
    WaitForDone(donePath);
    dialog.Finish(IDCANCEL);
    return dialog.Returned() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 6 && strcmp(argv[1], "lists") == 0)
        return ShowLists(argv[2], atoi(argv[3]), argv[4], argv[5]);
    if (argc != 4)
        return 2;
    std::string editor = argv[1];
    DialogSession dialog(std::vector<std::string>(kArgs, kArgs + sizeof kArgs / sizeof kArgs[0]));
    if (!dialog.Open())
        return 1;
    if (editor == "enum") {
        dialog.SelectProperty(0);
    } else if (editor == "int") {
        dialog.SelectProperty(2);
    } else if (editor == "edit") {
        dialog.SelectProperty(1);
    } else if (editor == "notpresent") {
        dialog.SelectProperty(3);
    } else if (editor == "error") {
        dialog.SelectProperty(2);
        dialog.SetText(IDC_SPIN_EDIT, "999");
        dialog.PostClick(IDOK);
    } else {
        return 2;
    }
    Sleep(500);
    Touch(argv[2]);
    WaitForDone(argv[3]);
    if (editor == "error")
        dialog.AnswerBox();
    dialog.Finish(IDCANCEL);
    return dialog.Returned() ? 0 : 1;
}
