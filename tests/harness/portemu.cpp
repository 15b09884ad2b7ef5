#include "portemu.h"

#include <stdio.h>

namespace harness {

namespace {

const DWORD kLoadWaitMs = 10000;

std::vector<PortAccess> ReadAccessLog(const std::string& path)
{
    std::vector<PortAccess> accesses;
    for (const std::string& line : SplitLines(ReadFileText(path))) {
        char direction[4] = "";
        unsigned size = 0, port = 0;
        unsigned long value = 0;
        if (sscanf(line.c_str(), "%3s %u %x %lx", direction, &size, &port, &value) != 4)
            continue;
        PortAccess access;
        access.out = std::string(direction) == "out";
        access.size = size;
        access.port = port;
        access.value = static_cast<uint32_t>(value);
        accesses.push_back(access);
    }
    return accesses;
}

}  // namespace

std::string PortEmulatorImage()
{
    return BuildDir() + "\\tests\\doubles\\portemu\\portemu.dll";
}

bool InjectDll(const PROCESS_INFORMATION& process, const std::string& dllPath)
{
    SIZE_T size = dllPath.size() + 1;
    void* remote = VirtualAllocEx(process.hProcess, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (remote == nullptr)
        return false;
    bool loaded = false;
    FARPROC loadLibrary = GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA");
    if (WriteProcessMemory(process.hProcess, remote, dllPath.c_str(), size, nullptr)) {
        HANDLE thread = CreateRemoteThread(process.hProcess, nullptr, 0,
                                           reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void*>(loadLibrary)), remote, 0,
                                           nullptr);
        if (thread != nullptr) {
            DWORD module = 0;
            loaded = WaitForSingleObject(thread, kLoadWaitMs) == WAIT_OBJECT_0 &&
                     GetExitCodeThread(thread, &module) && module != 0;
            CloseHandle(thread);
        }
    }
    VirtualFreeEx(process.hProcess, remote, 0, MEM_RELEASE);
    return loaded;
}

RunResult RunWithPortEmulator(RunOptions options, const PciBus& bus, std::vector<PortAccess>* accesses)
{
    char szTemp[MAX_PATH] = "";
    GetTempPathA(sizeof szTemp, szTemp);
    std::string stem = szTemp + std::string("portemu-") + std::to_string(GetCurrentProcessId());
    std::string busPath = stem + ".bus", logPath = stem + ".log";
    bus.WriteTo(busPath);
    DeleteFileA(logPath.c_str());
    options.environment.push_back({ "NICTEST_PCIBUS", busPath });
    options.environment.push_back({ "NICTEST_PORTLOG", accesses != nullptr ? logPath : "" });
    std::string dll = PortEmulatorImage();
    auto previous = options.beforeResume;
    options.beforeResume = [dll, previous](const PROCESS_INFORMATION& process) {
        return InjectDll(process, dll) && (!previous || previous(process));
    };
    RunResult result = Run(options);
    if (accesses != nullptr)
        *accesses = ReadAccessLog(logPath);
    DeleteFileA(busPath.c_str());
    DeleteFileA(logPath.c_str());
    return result;
}

}  // namespace harness
