// Building blocks for tests of the chooser, the confirmation and the removal pass: TAVRO cards
// and ordinary devices with their driver keys, and readers of what the user saw.
#pragma once

#include <string>
#include <vector>

#include "platform/sim/machine.h"

namespace cards {

const char kClassKey[] = "System\\CurrentControlSet\\Control\\Class";
const char kCardId[] = "PCI\\VEN_1A7E&DEV_2000&SUBSYS_00011A7E&REV_02";
const char kDescription[] = "Marlek TAVRO 2000 PCI Adapter";
const char kCaption[] = "TAVRO Client for Windows 2000";
const char kCannotRemove[] = "Cannot remove your device.";
const char kNoPrivileges[] =
    "Cannot run program. You don't have privileges to perform this operation.  Please, contact "
    "your system administrator.";
const DWORD kGenFailure = 31;  // ERROR_GEN_FAILURE: a failure the program has no name for

// The instance id of the nth card in the slot `slot` (distinct for distinct pairs).
inline std::string CardInstance(int slot) {
    return std::string(kCardId) + "\\4&2F3C1A8E&0&" + std::to_string(100 + slot) + "F0";
}

// A TAVRO card with the card's usual identifier list, its driver key and description.
inline sim::Device& AddCard(sim::Machine& machine, int slot,
                            const std::string& description = kDescription) {
    std::string driverKey =
        "{4D36E972-E325-11CE-BFC1-08002BE10318}\\00" + std::to_string(10 + slot);
    machine.SetString(std::string(kClassKey) + "\\" + driverKey, "DriverDesc", description);
    sim::Device card;
    card.instanceId = CardInstance(slot);
    card.hardwareIds = sim::MultiSz(
        {kCardId, "PCI\\VEN_1A7E&DEV_2000&SUBSYS_00011A7E", "PCI\\VEN_1A7E&DEV_2000&CC_020000"});
    card.manufacturer = "Marlek Technology";
    card.driverKey = driverKey;
    return machine.AddDevice(card);
}

// A device of another maker whose hardware-identifier property holds exactly these bytes.
inline sim::Device& AddOther(sim::Machine& machine, const std::string& instanceId,
                             std::optional<std::string> hardwareIds) {
    sim::Device device;
    device.instanceId = instanceId;
    device.hardwareIds = std::move(hardwareIds);
    device.manufacturer = "3Com";
    device.driverKey = "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001";
    return machine.AddDevice(device);
}

inline std::vector<sim::Seen> Shown(const sim::Machine& machine, sim::Seen::Kind kind) {
    std::vector<sim::Seen> shown;
    for (const sim::Seen& seen : machine.seen) {
        if (seen.kind == kind) shown.push_back(seen);
    }
    return shown;
}

inline int CountMessageBoxes(const sim::Machine& machine, const std::string& text) {
    int count = 0;
    for (const sim::Seen& box : Shown(machine, sim::Seen::Kind::MessageBox)) {
        count += box.text == text;
    }
    return count;
}

}  // namespace cards
