// Windows-side test harness for the end-to-end tests under wine: chooses the Windows
// version a program sees, starts it, answers its message boxes (found by class and
// owning process), records what they said, and reads its exit code.  Also small file
// helpers.  Every wait is bounded, so a hung program fails its test instead of the run.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace harness {

// Windows-side paths of the wine build folder ("Z:\...\build\wine") and the source tree.
std::string BuildDir();
std::string SourceDir();

// Sets HKCU\Software\Wine\AppDefaults\<exe>\Version ("win98", "nt40", "win2k", ...).
void SetWindowsVersion(const std::string& exeName, const std::string& version);

struct MessageBoxSeen {
    std::string caption;
    std::string text;
    bool ok = false, yes = false, no = false, cancel = false;  // buttons shown
    int answer = 0;                                            // button we pressed
    std::string Buttons() const;                               // "OK", "YesNo", ...
};

struct RunOptions {
    std::string commandLine;
    std::string currentFolder;                        // empty: the harness's own
    std::vector<std::pair<std::string, std::string>> environment;  // set for the child
    std::vector<int> answers;     // IDOK, IDYES, IDNO, ... in box order; then OK, else No
    DWORD timeoutMs = 60000;
    // When set, the program is created suspended and this runs before it starts, for
    // example to load a DLL into it; false abandons the run (started stays false).
    std::function<bool(const PROCESS_INFORMATION&)> beforeResume;
};

struct RunResult {
    bool started = false;
    bool timedOut = false;
    DWORD exitCode = 0;
    DWORD startError = 0;
    DWORD processId = 0;
    std::vector<MessageBoxSeen> boxes;
    SIZE_T peakWorkingSetBytes = 0;   // highest seen while the program ran
};

RunResult Run(const RunOptions& options);

// Files, all with Windows paths.
void WriteFileText(const std::string& path, const std::string& content);
std::string ReadFileText(const std::string& path);   // "" when missing
bool FileExists(const std::string& path);
void MakeDirs(const std::string& path);
void RemoveTree(const std::string& path);
void EmptyFolder(const std::string& path);         // what RemoveTree removes but the folder itself
void CopyFileOrDie(const std::string& from, const std::string& to);
std::vector<std::string> SplitLines(const std::string& text);  // on CR LF or LF

// The value of an environment variable, "" when it is not set.
std::string Environment(const char* name);

}  // namespace harness
