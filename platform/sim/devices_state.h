// Private state of the simulated devices component.
#pragma once

#include <cstddef>
#include <memory>
#include <unordered_map>
#include <vector>

namespace sim {

// One device information set: the devices listed when it was created, by their place in
// Machine::devices. A snapshot: devices added or removed later do not change it.
struct DeviceInfoSet {
    std::vector<std::size_t> members;
    bool open = false;
};

struct DevicesState {
    // Destroyed sets are reused, so repeated passes allocate nothing once the first has run.
    std::vector<std::unique_ptr<DeviceInfoSet>> sets;

    // Hash of an instance id -> place in Machine::devices. Tests change the list at will, so a
    // hit is checked against the device itself and a miss rebuilds the index once.
    std::unordered_multimap<std::size_t, std::size_t> byInstanceId;
};

}  // namespace sim
