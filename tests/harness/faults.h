// Making chosen platform calls of a program fail (tests/doubles/faults): a refused
// right to the service manager, a service that cannot be created or started, a device
// that cannot be opened, a token call that is denied, a function that Windows lacks.
#pragma once
#include "harness.h"

#include <string>

namespace harness {

// Makes the program of `options` fail the calls that `faults` names, each leaving the
// given error, for example "OpenSCManagerA=5 CreateFileA=2"; "StartServiceA=missing"
// makes a function looked up at run time absent.  The run is abandoned
// (started stays false) when a fault cannot be put in place.
void FailImports(RunOptions& options, const std::string& faults);

}  // namespace harness
