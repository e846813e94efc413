// The discovery pass over arbitrary device data: instance ids, hardware-identifier lists,
// manufacturers and driver keys as raw bytes of any length, status bits and failing calls. The
// table must come out exactly as an independent model of the pass predicts, every string ended
// within its field, the taken rows contiguous from row 0, and no byte written past the capacity.
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "discovery/discovery.h"
#include "fuzz/fuzz_support.h"

namespace {

const DWORD kGenFailure = 31;  // ERROR_GEN_FAILURE: a device failed

const char* const kManufacturers[] = {
    "Marlek Technology",
    "MARLEK TECHNOLOGY",
    "marlek technology",
    "Technologies MARLEK",
    "Nordhafen Fernnetz AG",
    "Marlek Technology ",
    "Marlek",
    "Marl\xC9k Technology",
};
const char* const kIdentifiers[] = {
    "PCI\\VEN_1A2B&DEV_0001&SUBSYS_00011A2B",
    "PCI\\VEN_1A2B&DEV_0001",
    "ROOT\\TAVRO",
};
const std::size_t kSentinelRows = 2;
const unsigned char kSentinel = 0xA5;

std::string Text(const std::string& bytes) {
    return bytes.substr(0, bytes.find('\0'));
}

std::optional<std::string> ManufacturerOf(fuzz::Input& in) {
    unsigned kind = in.Pick(11);
    if (kind == 0) return std::nullopt;
    if (kind <= 8) return std::string(kManufacturers[kind - 1]);
    if (kind == 9) return in.Bytes(40);
    return std::string(300, 'M');  // longer than the 256-byte buffer
}

// A REG_MULTI_SZ list built from known identifiers and raw entries, sometimes cut short so its
// last entry lacks the NUL, or raw bytes outright.
std::optional<std::string> HardwareIdsOf(fuzz::Input& in) {
    std::uint8_t mode = in.Byte();
    if (mode % 5 == 0) return std::nullopt;
    if (mode % 5 == 1) return in.Bytes(300);
    std::vector<std::string> entries;
    for (unsigned n = 1 + in.Pick(3); n > 0; --n) {
        unsigned pick = in.Pick(5);
        entries.push_back(pick < 3 ? std::string(kIdentifiers[pick])
                                   : (pick == 3 ? std::string(130, 'H') : in.Bytes(60)));
    }
    std::string list = sim::MultiSz(entries);
    if (mode % 5 == 4) list.resize(list.size() - 1 - in.Pick(4) % list.size());
    return list;
}

std::optional<std::string> DriverKeyOf(fuzz::Input& in) {
    unsigned kind = in.Pick(5);
    if (kind == 0) return std::nullopt;
    if (kind == 1) return std::string(62, 'k');  // 63 bytes with the NUL: fits
    if (kind == 2) return std::string(63, 'k');  // 64 bytes: too long
    return in.Bytes(70);
}

// Raw bytes (NULs and all) or lengths around the 256-byte buffer. A device installer never lists
// an empty id (locating "" finds the root) nor one id twice: those get the device's place added.
std::string InstanceIdOf(fuzz::Input& in, const sim::Machine& machine) {
    std::string id;
    switch (in.Pick(6)) {
        case 0:
            id = in.Bytes(40);
            break;
        case 1:
            id = std::string(254 + in.Pick(4), 'I');  // around the longest the buffer holds
            break;
        default:
            id = "PCI\\VEN_1A2B&DEV_0001\\" + std::to_string(machine.devices.size());
    }
    std::string place = "#" + std::to_string(machine.devices.size());
    if (id[0] == '\0') id = place + id;  // the text up to the first NUL is what the pass sees
    auto taken = [&](const std::string& candidate) {
        for (const sim::Device& device : machine.devices) {
            if (device.instanceId == candidate) return true;
        }
        return false;
    };
    while (taken(id)) id += place;
    return id;
}

sim::Device DeviceOf(fuzz::Input& in, const sim::Machine& machine) {
    sim::Device device;
    std::uint8_t flags = in.Byte();
    device.instanceId = InstanceIdOf(in, machine);
    device.present = !in.Flag(flags, 0);
    device.status = in.Flag(flags, 1) ? DN_WILL_BE_REMOVED : 0;
    device.statusResult = in.Flag(flags, 2) ? in.Byte() : CR_SUCCESS;
    device.instanceIdError = in.Flag(flags, 3) ? ERROR_INVALID_PARAMETER : 0;
    device.hardwareIds = HardwareIdsOf(in);
    device.manufacturer = ManufacturerOf(in);
    device.driverKey = DriverKeyOf(in);
    return device;
}

// ---------------------------------------------------------------------------------------------
// The model: what the pass must record and report, computed from the machine's description.

struct Expected {
    int result = 1;
    std::vector<DeviceEntry> rows;
    std::vector<std::string> debugOutput;
};

bool IsAccepted(const std::string& manufacturer) {
    std::string name = fuzz::AsciiLower(Text(manufacturer));
    return name == "marlek technology" || name == "technologies marlek" ||
           name == "nordhafen fernnetz ag";
}

// The device the configuration manager locates by this id: the first one listed with it.
const sim::Device* Located(const sim::Machine& machine, const std::string& instanceId) {
    for (const sim::Device& device : machine.devices) {
        if (device.instanceId == instanceId) return device.present ? &device : nullptr;
    }
    return nullptr;
}

std::string StatusDiagnostic(const std::string& id, unsigned code) {
    char text[256];
    std::snprintf(text, sizeof text, "Get Devicestatus(%s) failed with 0x%X", id.c_str(), code);
    return text;
}

// The row for an accepted device, or nothing when the pass must leave it out.
std::optional<DeviceEntry> ModelRow(const sim::Machine& machine, const std::string& instanceId,
                                    Expected& expected) {
    const sim::Device* device = Located(machine, instanceId);
    if (device == nullptr || !device->hardwareIds || device->hardwareIds->size() > 256) return {};
    if (!device->manufacturer || device->manufacturer->size() + 1 > 256) return {};
    if (!IsAccepted(*device->manufacturer)) return {};
    const std::string& list = *device->hardwareIds;
    std::size_t firstEnd = list.find('\0');
    // A first identifier without its NUL, or too long for the field, is never recorded cut.
    if (firstEnd == std::string::npos || firstEnd >= sizeof(DeviceEntry::szHardwareId)) return {};
    if (device->statusResult != CR_SUCCESS) {
        expected.debugOutput.push_back(StatusDiagnostic(instanceId, device->statusResult));
    } else if ((device->status & DN_WILL_BE_REMOVED) != 0) {
        return {};
    }
    DeviceEntry row = {};
    std::memcpy(row.szInstanceId, instanceId.data(), instanceId.size());
    std::memcpy(row.szHardwareId, list.data(), firstEnd);
    if (device->driverKey && device->driverKey->size() + 1 < sizeof row.szDriverKey) {
        std::string key = Text(*device->driverKey);
        std::memcpy(row.szDriverKey, key.data(), key.size());
    }
    row.bVendorMatch = TRUE;
    row.dnDevInst = static_cast<DEVINST>(device - machine.devices.data() + 1);
    return row;
}

Expected Model(const sim::Machine& machine, ULONG capacity, bool listFails, std::size_t walked) {
    Expected expected;
    if (listFails) {
        expected.result = 0;
        expected.debugOutput.push_back("DE: Create device list failed(8)");
        return expected;
    }
    for (std::size_t i = 0; i < walked && i < machine.devices.size(); ++i) {
        const sim::Device& device = machine.devices[i];
        if (device.instanceIdError != 0 || device.instanceId.size() >= 256) {
            DWORD code = device.instanceIdError != 0
                             ? device.instanceIdError
                             : static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER);
            expected.debugOutput.push_back("DE: get device id failed(" + std::to_string(code) +
                                           ")");
            continue;
        }
        if (expected.rows.size() >= capacity) continue;
        // The pass sees the id up to its first NUL.
        if (std::optional<DeviceEntry> row = ModelRow(machine, Text(device.instanceId), expected)) {
            expected.rows.push_back(*row);
        }
    }
    return expected;
}

// ---------------------------------------------------------------------------------------------
// The checks.

bool EndsWithin(const char* field, std::size_t size) {
    return std::memchr(field, '\0', size) != nullptr;
}

std::string RowName(std::size_t row) {
    return "row " + std::to_string(row);
}

void CheckTableShape(const DeviceEntry* table, ULONG capacity) {
    bool freeSeen = false;
    for (std::size_t i = 0; i < capacity; ++i) {
        const DeviceEntry& row = table[i];
        fuzz::Check(EndsWithin(row.szInstanceId, sizeof row.szInstanceId) &&
                        EndsWithin(row.szHardwareId, sizeof row.szHardwareId) &&
                        EndsWithin(row.szDriverKey, sizeof row.szDriverKey),
                    RowName(i) + ": a string runs past its field");
        bool taken = row.szInstanceId[0] != '\0';
        fuzz::Check(!(taken && freeSeen), RowName(i) + " is taken after a free row");
        freeSeen = freeSeen || !taken;
    }
    const unsigned char* guard = reinterpret_cast<const unsigned char*>(table + capacity);
    for (std::size_t i = 0; i < kSentinelRows * sizeof(DeviceEntry); ++i) {
        fuzz::Check(guard[i] == kSentinel, "the pass wrote past the table's capacity");
    }
}

void CheckField(const char* actual, const char* expected, const std::string& what) {
    fuzz::Check(std::strcmp(actual, expected) == 0,
                what + " is \"" + actual + "\", expected \"" + expected + "\"");
}

void CheckRow(const DeviceEntry& actual, const DeviceEntry& expected, std::size_t i) {
    CheckField(actual.szInstanceId, expected.szInstanceId, RowName(i) + ": instance id");
    CheckField(actual.szHardwareId, expected.szHardwareId, RowName(i) + ": hardware id");
    CheckField(actual.szDriverKey, expected.szDriverKey, RowName(i) + ": driver key");
    fuzz::Check(actual.bVendorMatch == TRUE, RowName(i) + ": vendor match not set");
    fuzz::Check(actual.dnDevInst == expected.dnDevInst, RowName(i) + ": devnode");
}

void CheckAgainstModel(const DeviceEntry* table, ULONG capacity, int result,
                       const sim::Machine& machine, const Expected& expected) {
    fuzz::Check(result == expected.result, "FindVendorDevices returned " + std::to_string(result));
    for (std::size_t i = 0; i < capacity; ++i) {
        if (i < expected.rows.size()) {
            CheckRow(table[i], expected.rows[i], i);
        } else {
            fuzz::Check(table[i].szInstanceId[0] == '\0', RowName(i) + " should be free");
        }
    }
    fuzz::Check(machine.debugOutput == expected.debugOutput, "the debugger output differs");
    fuzz::Check(std::strlen(g_szDebugMessage) < sizeof g_szDebugMessage, "diagnostic unended");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    fuzz::Run run;
    std::uint8_t setup = in.Byte();
    ULONG capacity = setup & 0x80 ? in.Pick(DEVICE_TABLE_CAPACITY + 1) : DEVICE_TABLE_CAPACITY;
    bool listFails = (setup & 0x0F) == 1;
    if (listFails) run.machine.FailCall("SetupDiGetClassDevsA", 1, ERROR_NOT_ENOUGH_MEMORY);
    // An enumeration that stops early, as on an error, ends the walk there.
    std::size_t walked = (setup & 0x0F) == 2 ? in.Pick(40) : SIZE_MAX;
    if (walked != SIZE_MAX) {
        run.machine.FailCall("SetupDiEnumDeviceInfo", static_cast<int>(walked) + 1, kGenFailure);
    }
    for (std::size_t n = in.Pick(40); run.machine.devices.size() < n;) {
        run.machine.AddDevice(DeviceOf(in, run.machine));
    }

    DeviceEntry table[DEVICE_TABLE_CAPACITY + kSentinelRows];
    std::memset(table, kSentinel, sizeof table);  // rows left from an earlier pass, and the guard
    int result = FindVendorDevices(table, capacity);

    CheckTableShape(table, capacity);
    CheckAgainstModel(table, capacity, result, run.machine,
                      Model(run.machine, capacity, listFails, walked));
    return 0;
}
