#include "faults.h"

#include "portemu.h"

namespace harness {

void FailImports(RunOptions& options, const std::string& faults)
{
    options.environment.push_back({ "NICTEST_FAULTS", faults });
    std::string dll = BuildDir() + "\\tests\\doubles\\faults\\faults.dll";
    auto previous = options.beforeResume;
    options.beforeResume = [dll, previous](const PROCESS_INFORMATION& process) {
        return InjectDll(process, dll) && (!previous || previous(process));
    };
}

}  // namespace harness
