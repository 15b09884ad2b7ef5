#include "harness.h"

#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>

namespace harness {

namespace {

const DWORD kPollMs = 20;
const int kMessageTextId = 0xFFFF;   // the static control that holds a box's text

struct BoxSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectBoxes(HWND hwnd, LPARAM param)
{
    BoxSearch* search = reinterpret_cast<BoxSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    char szClass[32] = "";
    GetClassNameA(hwnd, szClass, sizeof szClass);
    if (owner == search->processId && lstrcmpA(szClass, "#32770") == 0 && IsWindowVisible(hwnd))
        search->found.push_back(hwnd);
    return TRUE;
}

bool ButtonShown(HWND box, int id)
{
    HWND button = GetDlgItem(box, id);
    return button != nullptr && IsWindowVisible(button);
}

MessageBoxSeen ReadBox(HWND box)
{
    MessageBoxSeen seen;
    char szText[4096] = "";
    GetWindowTextA(box, szText, sizeof szText);
    seen.caption = szText;
    szText[0] = '\0';
    GetDlgItemTextA(box, kMessageTextId, szText, sizeof szText);
    seen.text = szText;
    seen.ok = ButtonShown(box, IDOK);
    seen.yes = ButtonShown(box, IDYES);
    seen.no = ButtonShown(box, IDNO);
    seen.cancel = ButtonShown(box, IDCANCEL);
    return seen;
}

int ChooseAnswer(const MessageBoxSeen& seen, const std::vector<int>& answers, size_t index)
{
    if (index < answers.size())
        return answers[index];
    if (seen.ok)
        return IDOK;
    return seen.no ? IDNO : IDCANCEL;
}

void AnswerBoxes(DWORD processId, const RunOptions& options, RunResult& result,
                 std::vector<HWND>& answered)
{
    BoxSearch search = { processId, {} };
    EnumWindows(CollectBoxes, reinterpret_cast<LPARAM>(&search));
    for (HWND box : search.found) {
        bool known = false;
        for (HWND old : answered)
            known = known || old == box;
        if (known)
            continue;
        MessageBoxSeen seen = ReadBox(box);
        seen.answer = ChooseAnswer(seen, options.answers, result.boxes.size());
        result.boxes.push_back(seen);
        answered.push_back(box);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(seen.answer, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, seen.answer)));
    }
}

}  // namespace

std::string MessageBoxSeen::Buttons() const
{
    std::string names;
    if (ok) names += "OK";
    if (yes) names += "Yes";
    if (no) names += "No";
    if (cancel) names += "Cancel";
    return names;
}

std::string BuildDir()
{
    return NIC_BUILD_DIR_WIN;
}

std::string SourceDir()
{
    return NIC_SOURCE_DIR_WIN;
}

void SetWindowsVersion(const std::string& exeName, const std::string& version)
{
    std::string key = "Software\\Wine\\AppDefaults\\" + exeName;
    HKEY hKey = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &hKey, nullptr) != ERROR_SUCCESS) {
        fprintf(stderr, "harness: cannot create %s\n", key.c_str());
        abort();
    }
    RegSetValueExA(hKey, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                   static_cast<DWORD>(version.size() + 1));
    RegCloseKey(hKey);
}

RunResult Run(const RunOptions& options)
{
    RunResult result;
    std::vector<std::pair<std::string, std::string>> saved;
    for (const auto& variable : options.environment) {
        char szOld[4096];
        DWORD length = GetEnvironmentVariableA(variable.first.c_str(), szOld, sizeof szOld);
        saved.push_back({ variable.first, length > 0 && length < sizeof szOld ? szOld : "" });
        SetEnvironmentVariableA(variable.first.c_str(), variable.second.c_str());
    }

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::vector<char> commandLine(options.commandLine.begin(), options.commandLine.end());
    commandLine.push_back('\0');
    DWORD flags = options.beforeResume ? CREATE_SUSPENDED : 0;
    // Under load, wine now and then refuses a process start with ERROR_INTERNAL_ERROR
    // (1359) that a second try a moment later does not see; that is wine's, not ours.
    const int kStartTries = 3;
    const DWORD kStartRetryMs = 200;
    for (int iTry = 0; iTry < kStartTries; ++iTry) {
        result.started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr,
                                        options.currentFolder.empty() ? nullptr : options.currentFolder.c_str(),
                                        &startup, &process) != FALSE;
        if (result.started || GetLastError() != ERROR_INTERNAL_ERROR)
            break;
        Sleep(kStartRetryMs);
    }
    for (const auto& variable : saved)
        SetEnvironmentVariableA(variable.first.c_str(), variable.second.empty() ? nullptr : variable.second.c_str());
    if (!result.started) {
        result.startError = GetLastError();
        return result;
    }
    if (options.beforeResume) {
        if (!options.beforeResume(process)) {
            result.started = false;
            result.startError = GetLastError();
            TerminateProcess(process.hProcess, 0xDEAD);
            WaitForSingleObject(process.hProcess, 5000);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
            return result;
        }
        ResumeThread(process.hThread);
    }

    result.processId = process.dwProcessId;
    std::vector<HWND> answered;
    DWORD started = GetTickCount();
    for (;;) {
        AnswerBoxes(process.dwProcessId, options, result, answered);
        PROCESS_MEMORY_COUNTERS memory = {};
        if (GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory) &&
            memory.PeakWorkingSetSize > result.peakWorkingSetBytes)
            result.peakWorkingSetBytes = memory.PeakWorkingSetSize;
        if (WaitForSingleObject(process.hProcess, kPollMs) == WAIT_OBJECT_0)
            break;
        if (GetTickCount() - started > options.timeoutMs) {
            result.timedOut = true;
            TerminateProcess(process.hProcess, 0xDEAD);
            WaitForSingleObject(process.hProcess, 5000);
            break;
        }
    }
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return result;
}

void WriteFileText(const std::string& path, const std::string& content)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr) {
        fprintf(stderr, "harness: cannot write %s\n", path.c_str());
        abort();
    }
    fwrite(content.data(), 1, content.size(), file);
    fclose(file);
}

std::string ReadFileText(const std::string& path)
{
    std::string content;
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr)
        return content;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
        content.append(buffer, got);
    fclose(file);
    return content;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeDirs(const std::string& path)
{
    for (size_t at = path.find('\\', 3); ; at = path.find('\\', at + 1)) {
        std::string part = path.substr(0, at);
        if (!part.empty())
            CreateDirectoryA(part.c_str(), nullptr);
        if (at == std::string::npos)
            break;
    }
}

void RemoveTree(const std::string& path)
{
    EmptyFolder(path);
    std::string folder = path;
    while (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    RemoveDirectoryA(folder.c_str());
}

void EmptyFolder(const std::string& path)
{
    std::string folder = path;
    while (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string child = folder + "\\" + name;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
}

std::string Environment(const char* name)
{
    const char* value = getenv(name);
    return value == nullptr ? "" : value;
}

void CopyFileOrDie(const std::string& from, const std::string& to)
{
    if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) {
        fprintf(stderr, "harness: cannot copy %s to %s (error %lu)\n", from.c_str(), to.c_str(),
                GetLastError());
        abort();
    }
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

}  // namespace harness
