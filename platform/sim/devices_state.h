// Private state of the simulated devices component.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
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

    // Instance id -> place in Machine::devices. The keys view the devices' own strings, so the
    // index is rebuilt whenever the list has moved or changed size.
    std::unordered_map<std::string_view, std::size_t> byInstanceId;
    const void* indexedData = nullptr;
    std::size_t indexedSize = 0;
};

}  // namespace sim
