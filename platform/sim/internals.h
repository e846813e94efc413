// The simulation's private state, one part per component; each part lives in its own header.
#pragma once

#include "platform/sim/devices_state.h"
#include "platform/sim/registry_state.h"
#include "platform/sim/resources_state.h"
#include "platform/sim/windows_state.h"
#include "platform/sim/machine.h"

namespace sim {

struct Machine::Internals {
    DevicesState devices;
    RegistryState registry;
    ResourcesState resources;
    WindowsState windows;
};

}  // namespace sim
