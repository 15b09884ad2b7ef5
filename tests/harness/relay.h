// Spying on a program's calls into system DLLs through Wine's relay trace, to check the
// exact arguments of platform calls made by an unchanged binary.  The trace goes to
// the stderr that CTest's wine-run wrapper gives the test and its children; the test
// reads back what was added during its run.
#pragma once
#include "harness.h"

#include <stdint.h>

#include <string>
#include <vector>

namespace harness {

struct RelayCall {
    unsigned processId = 0;
    uint64_t returnAddress = 0;           // where in the caller the call returns to
    std::string function;                 // as traced, e.g. "advapi32.CreateServiceA"
    std::vector<std::string> arguments;   // raw argument texts
    std::string result;                   // the "retval" of the matching return, or ""

    uint32_t Value(size_t index) const;   // low 32 bits of a numeric argument
    std::string Text(size_t index) const; // the quoted string of an argument, unescaped
    uint32_t Result() const;              // low 32 bits of the return value
};

class RelayTrace {
public:
    // Traces these functions ("dll.Function") of programs started with Prepare().
    explicit RelayTrace(const std::string& functions);
    ~RelayTrace();

    // False when the test does not run under the wrapper that keeps its stderr.
    bool Available() const { return !stderrPath_.empty(); }

    // Makes the program and its children write the trace.
    void Prepare(RunOptions& options) const;

    // Calls traced since this object was made (or since the last Calls()), in order.
    std::vector<RelayCall> Calls();

    // Only the first traced process's calls made from its own image at the default
    // x86_64 EXE base (not from system DLLs on its behalf), by name without the DLL.
    static std::vector<RelayCall> OwnCalls(const std::vector<RelayCall>& calls);

private:
    std::string stderrPath_;
    size_t offset_ = 0;
};

}  // namespace harness
