// The simulated device installer (SetupDi) and configuration manager (CM_) over
// Machine::devices. Every call is logged through Machine::Enter with a detail a test can look
// for: "flags=0x4" for a new set, "index=N" for an enumeration, the instance id for the other
// per-device calls, and "<instance id> CM_DRP_MFG" (or the property's name) for property reads.
//
// The same file is compiled into the test setupapi.dll that stands in for the device installer
// under Wine, so it sets the last error only through SetLastError() and uses only the types
// that platform/win32.h gives on both builds.
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/sim/internals.h"
#include "platform/sim/machine.h"

using sim::Current;
using sim::Device;
using sim::DevicesState;
using sim::Machine;

namespace {

DevicesState& State(Machine& machine) {
    return machine.internals().devices;
}

// Logs the call and asks whether a fault applies. With logging off and no faults set, nothing
// is built, so a benchmark sees no allocation of the simulation's own.
template <typename MakeDetail>
std::optional<DWORD> EnterCall(Machine& machine, const char* function, MakeDetail makeDetail) {
    if (!machine.logCalls && machine.faults.empty()) return std::nullopt;
    return machine.Enter(function, makeDetail());
}

std::string Hex(unsigned long value) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lX", value);
    return text;
}

// ---------------------------------------------------------------------------------------------
// Device information sets and their elements.

sim::DeviceInfoSet* OpenSet(HDEVINFO handle) {
    for (auto& set : State(Current()).sets) {
        if (set.get() == handle && set->open) return set.get();
    }
    return nullptr;
}

sim::DeviceInfoSet& NewSet(DevicesState& state) {
    for (auto& set : state.sets) {
        if (!set->open) return *set;
    }
    state.sets.push_back(std::make_unique<sim::DeviceInfoSet>());
    return *state.sets.back();
}

bool IsListed(const Device& device, DWORD flags) {
    if (device.removed) return false;
    return (flags & DIGCF_PRESENT) == 0 || device.present;
}

// The device an element describes: SetupDiEnumDeviceInfo puts its place + 1 into DevInst.
Device* ElementDevice(Machine& machine, PSP_DEVINFO_DATA data) {
    if (data == nullptr || data->DevInst == 0 || data->DevInst > machine.devices.size()) {
        sim::Fail("a device information element that the set never gave out");
        return nullptr;
    }
    return &machine.devices[data->DevInst - 1];
}

bool HasElementSize(PSP_DEVINFO_DATA data) {
    if (data != nullptr && data->cbSize == sizeof(SP_DEVINFO_DATA)) return true;
    SetLastError(ERROR_INVALID_USER_BUFFER);
    return false;
}

// What every call on one element of a set checks first: the set is open, the element has the
// caller's structure size, and it names a device the set gave out. nullptr: the call fails.
Device* ElementOfOpenSet(Machine& machine, const char* function, HDEVINFO set,
                         PSP_DEVINFO_DATA data) {
    if (OpenSet(set) == nullptr) sim::Fail(std::string(function) + ": no open set");
    if (!HasElementSize(data)) return nullptr;
    return ElementDevice(machine, data);
}

// ---------------------------------------------------------------------------------------------
// Devnodes: DEVINST is the device's place in Machine::devices + 1.

std::size_t HashId(std::string_view instanceId) {
    return std::hash<std::string_view>()(instanceId);
}

void RebuildIndex(Machine& machine) {
    DevicesState& state = State(machine);
    state.byInstanceId.clear();
    for (std::size_t i = 0; i < machine.devices.size(); ++i) {
        state.byInstanceId.emplace(HashId(machine.devices[i].instanceId), i);
    }
}

Device* IndexedDevice(Machine& machine, std::string_view instanceId) {
    auto range = State(machine).byInstanceId.equal_range(HashId(instanceId));
    for (auto it = range.first; it != range.second; ++it) {
        if (it->second < machine.devices.size() &&
            machine.devices[it->second].instanceId == instanceId) {
            return &machine.devices[it->second];
        }
    }
    return nullptr;
}

Device* FindDevice(Machine& machine, std::string_view instanceId) {
    if (Device* device = IndexedDevice(machine, instanceId)) return device;
    RebuildIndex(machine);
    return IndexedDevice(machine, instanceId);
}

Device* DevNodeDevice(Machine& machine, DEVINST devInst) {
    if (devInst == 0 || devInst > machine.devices.size()) return nullptr;
    Device& device = machine.devices[devInst - 1];
    return device.removed ? nullptr : &device;
}

const char* PropertyName(ULONG property) {
    switch (property) {
        case CM_DRP_HARDWAREID:
            return "CM_DRP_HARDWAREID";
        case CM_DRP_MFG:
            return "CM_DRP_MFG";
        case CM_DRP_DRIVER:
            return "CM_DRP_DRIVER";
    }
    return nullptr;
}

// The property's bytes as the configuration manager reports them: texts with their NUL.
bool DevNodeProperty(const Device& device, ULONG property, std::string_view* bytes, ULONG* type) {
    const std::optional<std::string>* value = &device.hardwareIds;
    *type = REG_SZ;
    if (property == CM_DRP_HARDWAREID) *type = REG_MULTI_SZ;
    if (property == CM_DRP_MFG) value = &device.manufacturer;
    if (property == CM_DRP_DRIVER) value = &device.driverKey;
    if (!value->has_value()) return false;
    const std::string& text = **value;
    *bytes = std::string_view(text.c_str(), text.size() + (*type == REG_SZ ? 1 : 0));
    return true;
}

}  // namespace

extern "C" {

// ---------------------------------------------------------------------------------------------
// Device installer

HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID* ClassGuid, PCSTR Enumerator, HWND hwndParent,
                                     DWORD Flags) {
    Machine& machine = Current();
    if (ClassGuid != nullptr || Enumerator != nullptr || hwndParent != nullptr ||
        (Flags != DIGCF_ALLCLASSES && Flags != (DIGCF_PRESENT | DIGCF_ALLCLASSES))) {
        sim::Fail(
            "SetupDiGetClassDevsA is only simulated for all classes, no enumerator or "
            "parent, with or without DIGCF_PRESENT");
    }
    auto detail = [&] { return "flags=" + Hex(Flags); };
    if (std::optional<DWORD> error = EnterCall(machine, "SetupDiGetClassDevsA", detail)) {
        SetLastError(*error);
        return INVALID_HANDLE_VALUE;
    }
    sim::DeviceInfoSet& set = NewSet(State(machine));
    set.members.clear();
    for (std::size_t i = 0; i < machine.devices.size(); ++i) {
        if (IsListed(machine.devices[i], Flags)) set.members.push_back(i);
    }
    set.open = true;
    ++machine.openDeviceInfoSets;
    SetLastError(NO_ERROR);
    return &set;
}

BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO DeviceInfoSet, DWORD MemberIndex,
                                  PSP_DEVINFO_DATA DeviceInfoData) {
    Machine& machine = Current();
    auto detail = [&] { return "index=" + std::to_string(MemberIndex); };
    std::optional<DWORD> error = EnterCall(machine, "SetupDiEnumDeviceInfo", detail);
    sim::DeviceInfoSet* set = OpenSet(DeviceInfoSet);
    if (set == nullptr) {
        sim::Fail("SetupDiEnumDeviceInfo on a set that is not open");
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!HasElementSize(DeviceInfoData)) return FALSE;
    if (error) {
        SetLastError(*error);
        return FALSE;
    }
    if (MemberIndex >= set->members.size()) {
        SetLastError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    std::memset(&DeviceInfoData->ClassGuid, 0, sizeof DeviceInfoData->ClassGuid);
    DeviceInfoData->DevInst = static_cast<DWORD>(set->members[MemberIndex] + 1);
    DeviceInfoData->Reserved = 0;
    SetLastError(NO_ERROR);
    return TRUE;
}

BOOL WINAPI SetupDiGetDeviceInstanceIdA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                        PSTR DeviceInstanceId, DWORD DeviceInstanceIdSize,
                                        PDWORD RequiredSize) {
    Machine& machine = Current();
    Device* device =
        ElementOfOpenSet(machine, "SetupDiGetDeviceInstanceIdA", DeviceInfoSet, DeviceInfoData);
    if (device == nullptr) return FALSE;
    auto detail = [&] { return device->instanceId; };
    std::optional<DWORD> error = EnterCall(machine, "SetupDiGetDeviceInstanceIdA", detail);
    if (!error && device->instanceIdError != 0) error = device->instanceIdError;
    if (error) {
        SetLastError(*error);
        return FALSE;
    }
    DWORD needed = static_cast<DWORD>(device->instanceId.size() + 1);
    if (RequiredSize != nullptr) *RequiredSize = needed;
    if (DeviceInstanceId == nullptr || DeviceInstanceIdSize < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(DeviceInstanceId, device->instanceId.c_str(), needed);
    SetLastError(NO_ERROR);
    return TRUE;
}

BOOL WINAPI SetupDiGetDeviceRegistryPropertyA(HDEVINFO DeviceInfoSet,
                                              PSP_DEVINFO_DATA DeviceInfoData, DWORD Property,
                                              PDWORD PropertyRegDataType, PBYTE PropertyBuffer,
                                              DWORD PropertyBufferSize, PDWORD RequiredSize) {
    Machine& machine = Current();
    if (Property != SPDRP_HARDWAREID) sim::Fail("only SPDRP_HARDWAREID is simulated");
    Device* device = ElementOfOpenSet(machine, "SetupDiGetDeviceRegistryPropertyA", DeviceInfoSet,
                                      DeviceInfoData);
    if (device == nullptr) return FALSE;
    auto detail = [&] { return device->instanceId + " SPDRP_HARDWAREID"; };
    std::optional<DWORD> error = EnterCall(machine, "SetupDiGetDeviceRegistryPropertyA", detail);
    if (!error && !device->hardwareIdQueryErrors.empty()) {
        error = device->hardwareIdQueryErrors.front();
        device->hardwareIdQueryErrors.pop_front();
    }
    DWORD size = device->hardwareIds ? static_cast<DWORD>(device->hardwareIds->size()) : 0;
    if (error) {
        if (RequiredSize != nullptr) *RequiredSize = size;
        SetLastError(*error);
        return FALSE;
    }
    if (!device->hardwareIds) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    if (RequiredSize != nullptr) *RequiredSize = size;
    if (PropertyBuffer == nullptr || PropertyBufferSize < size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(PropertyBuffer, device->hardwareIds->data(), size);
    if (PropertyRegDataType != nullptr) *PropertyRegDataType = REG_MULTI_SZ;
    SetLastError(NO_ERROR);
    return TRUE;
}

BOOL WINAPI SetupDiCallClassInstaller(DI_FUNCTION InstallFunction, HDEVINFO DeviceInfoSet,
                                      PSP_DEVINFO_DATA DeviceInfoData) {
    Machine& machine = Current();
    if (InstallFunction != DIF_REMOVE) sim::Fail("only DIF_REMOVE is simulated");
    Device* device =
        ElementOfOpenSet(machine, "SetupDiCallClassInstaller", DeviceInfoSet, DeviceInfoData);
    if (device == nullptr) return FALSE;
    auto detail = [&] { return device->instanceId; };
    std::optional<DWORD> error = EnterCall(machine, "SetupDiCallClassInstaller", detail);
    if (!error && device->refuseRemoval) error = ERROR_ACCESS_DENIED;
    if (error) {
        SetLastError(*error);
        return FALSE;
    }
    device->removed = true;
    machine.removed.push_back(device->instanceId);
    SetLastError(NO_ERROR);
    return TRUE;
}

BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet) {
    Machine& machine = Current();
    EnterCall(machine, "SetupDiDestroyDeviceInfoList", [] { return std::string(); });
    sim::DeviceInfoSet* set = OpenSet(DeviceInfoSet);
    if (set == nullptr) {
        sim::Fail("SetupDiDestroyDeviceInfoList of a set that is not open");
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    set->open = false;
    --machine.openDeviceInfoSets;
    SetLastError(NO_ERROR);
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Configuration manager: results are CONFIGRET values; the last error is left alone.

CONFIGRET WINAPI CM_Locate_DevNodeA(PDEVINST pdnDevInst, DEVINSTID_A pDeviceID, ULONG ulFlags) {
    Machine& machine = Current();
    if (pDeviceID == nullptr || ulFlags != CM_LOCATE_DEVNODE_NORMAL) {
        sim::Fail("CM_Locate_DevNodeA is only simulated for a named device, normal flags");
    }
    if (pdnDevInst == nullptr) return CR_INVALID_POINTER;
    *pdnDevInst = 0;
    auto detail = [&] { return std::string(pDeviceID); };
    if (std::optional<DWORD> error = EnterCall(machine, "CM_Locate_DevNodeA", detail)) {
        return *error;
    }
    Device* device = FindDevice(machine, pDeviceID);
    if (device == nullptr || !device->present || device->removed) return CR_NO_SUCH_DEVNODE;
    *pdnDevInst = static_cast<DEVINST>(device - machine.devices.data() + 1);
    return CR_SUCCESS;
}

CONFIGRET WINAPI CM_Get_DevNode_Registry_PropertyA(DEVINST dnDevInst, ULONG ulProperty,
                                                   PULONG pulRegDataType, PVOID Buffer,
                                                   PULONG pulLength, ULONG ulFlags) {
    Machine& machine = Current();
    const char* name = PropertyName(ulProperty);
    if (name == nullptr) {
        sim::Fail("CM_Get_DevNode_Registry_PropertyA: property not simulated");
        return CR_NO_SUCH_VALUE;
    }
    if (ulFlags != 0) return CR_INVALID_FLAG;
    if (pulLength == nullptr || (Buffer == nullptr && *pulLength != 0)) return CR_INVALID_POINTER;
    Device* device = DevNodeDevice(machine, dnDevInst);
    if (device == nullptr) return CR_INVALID_DEVNODE;
    auto detail = [&] { return device->instanceId + " " + name; };
    if (std::optional<DWORD> error =
            EnterCall(machine, "CM_Get_DevNode_Registry_PropertyA", detail)) {
        return *error;
    }
    std::string_view bytes;
    ULONG type = REG_NONE;
    if (!DevNodeProperty(*device, ulProperty, &bytes, &type)) return CR_NO_SUCH_VALUE;
    ULONG available = *pulLength;
    *pulLength = static_cast<ULONG>(bytes.size());
    if (bytes.size() > available) return CR_BUFFER_SMALL;
    std::memcpy(Buffer, bytes.data(), bytes.size());
    if (pulRegDataType != nullptr) *pulRegDataType = type;
    return CR_SUCCESS;
}

CONFIGRET WINAPI CM_Get_DevNode_Status(PULONG pulStatus, PULONG pulProblemNumber, DEVINST dnDevInst,
                                       ULONG ulFlags) {
    Machine& machine = Current();
    if (ulFlags != 0) return CR_INVALID_FLAG;
    if (pulStatus == nullptr || pulProblemNumber == nullptr) return CR_INVALID_POINTER;
    Device* device = DevNodeDevice(machine, dnDevInst);
    if (device == nullptr) return CR_INVALID_DEVNODE;
    auto detail = [&] { return device->instanceId; };
    if (std::optional<DWORD> error = EnterCall(machine, "CM_Get_DevNode_Status", detail)) {
        return *error;
    }
    if (device->statusResult != CR_SUCCESS) return device->statusResult;
    *pulStatus = device->status;
    *pulProblemNumber = 0;
    return CR_SUCCESS;
}

}  // extern "C"
