// The texts that nicstart writes, as the end-to-end tests expect them: the entries of
// its setup log, its messages and the restart questions, and the readers of the log and of the
// stand-in setup program's record.  One copy for every test that reads them.
#pragma once
#include "harness.h"

#include <string>
#include <vector>

namespace launcher_texts {

const char kLogPath[] = "C:\\windows\\temp\\_nicstart.log";
const char kLogStart[] = "//--------------------Start--------------------//";
const char kLogCreateProcess[] = "//--------------------CreateProcess";
const char kLogCleanupStart[] = "Auto delete driver and inf file while uninstall NIC.";
const char kLogCleanupEnd[] = "Finish delete driver and inf file while uninstall NIC.";
const char kLogEnd[] = "//---------------------End---------------------//";
const char kAskInstall[] =
    "It's recommended to reboot your system after install NIC driver.\nDo you want ot restart your system now?";
const char kAskRemove[] =
    "It's recommended to reboot your system after remove NIC driver.\nDo you want ot restart your system now?";
const char kLogHardwareID[] = "GetHardwareID ----------";
const char kMsgInstalled[] = "The installation is Completed";
const char kMsgUninstalled[] = "The uninstallation is Completed";
const char kMsgNoInf[] = "Can not find any inf files!";
const char kMsgNoAdapter[] = "Can not find proper NIC, click OK to exit program.";
const char kMsgTwoValid[] = "There are more than two Valid INF files! \nProgram exit!";
const char kMsgCommandTooLong[] =
    "The command line is too long. The setup program accepts at most 255 characters.";
const char kMsgFolderTooLong[] =
    "The folder of the setup program is too long. Copy the driver disk to a shorter path.";

// The presence check's entries, which presence_e2e_test checks; the other tests leave
// them out of the logs they compare.
inline bool IsPresenceEntry(const std::string& line)
{
    return line.rfind("PCI_REG_", 0) == 0 || line.rfind("bCheckDevice", 0) == 0;
}

// The setup log's lines without the presence check's entries.
inline std::vector<std::string> LogWithoutPresenceEntries()
{
    std::vector<std::string> lines;
    for (const std::string& line : harness::SplitLines(harness::ReadFileText(kLogPath)))
        if (!IsPresenceEntry(line))
            lines.push_back(line);
    return lines;
}

// What the stand-in setup program recorded in its record file under `key` ("cmdline",
// "cwd", "exit"), or "(not run)".
inline std::string Recorded(const std::string& recordPath, const std::string& key)
{
    for (const std::string& line : harness::SplitLines(harness::ReadFileText(recordPath)))
        if (line.rfind(key + "=", 0) == 0)
            return line.substr(key.size() + 1);
    return "(not run)";
}

}  // namespace launcher_texts
