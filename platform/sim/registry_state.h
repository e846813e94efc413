// Private state of the simulated registry component.
#pragma once

#include <map>
#include <string>

#include "platform/win32.h"

namespace sim {

struct RegistryState {
    // Open key handles and the path (below HKEY_LOCAL_MACHINE, as the program spelled it) each
    // one names.
    std::map<ULONG_PTR, std::string> openKeys;
    ULONG_PTR nextHandle = 0x1000;
};

}  // namespace sim
