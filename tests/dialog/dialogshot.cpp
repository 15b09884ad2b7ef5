// Shows the Advanced property dialog with one editor on screen and keeps it there for a
// screenshot (scripts/screenshot-dialog): opens the dialog on a fixed set of properties,
// selects the one for the editor named, writes the ready file, and cancels the dialog
// once the done file appears (or after 60 s).  Not part of the test run.
//   dialogshot enum|int|edit|notpresent|error READY-FILE DONE-FILE
#include "dialogdriver.h"
#include "propdialog_ids.h"

#include <stdio.h>
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

void Touch(const char* path)
{
    FILE* file = fopen(path, "w");
    if (file != nullptr)
        fclose(file);
}

}  // namespace

int main(int argc, char** argv)
{
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
    for (DWORD waited = 0; waited < kWaitForDoneMs; waited += kPollMs) {
        if (GetFileAttributesA(argv[3]) != INVALID_FILE_ATTRIBUTES)
            break;
        Sleep(kPollMs);
    }
    if (editor == "error")
        dialog.AnswerBox();
    dialog.Finish(IDCANCEL);
    return dialog.Returned() ? 0 : 1;
}
