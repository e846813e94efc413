// A simulated machine described in a text file, for the runs of the real program under Wine: the
// stand-in device installer (setupapi.dll) reads the devices and faults from it, and the e2e driver
// writes its registry values into Wine's registry.
//
// One statement per line; '#' starts a comment line; leading blanks are ignored. A `device` or a
// `key` line opens a block that the lines after it describe:
//
//   device PCI\VEN_10B7&DEV_9200\4&2A51C5F&0&48F0     the instance id is the rest of the line
//     absent                        listed, but not in the device tree (default: present)
//     hardware-id PCI\VEN_10B7&DEV_9200    one entry of the list, in order (none: no property)
//     manufacturer Marlek Technology
//     driver-key {4D36E972-E325-11CE-BFC1-08002BE10318}\0007
//     status 0x40000                DN_* bits
//     status-fails 0xD              CM_Get_DevNode_Status returns this CONFIGRET
//     instance-id-fails 13          SetupDiGetDeviceInstanceIdA fails with this error
//     hardware-id-query-fails 31    SPDRP_HARDWAREID fails with this error once (repeatable)
//     refuse-removal                the class installer fails DIF_REMOVE for it
//   fail SetupDiGetClassDevsA 2 8 [detail]    fail the 2nd call with error 8 (0: every call)
//   key System\CurrentControlSet\Control\Class\{4D36E972-E325-11CE-BFC1-08002BE10318}\0007
//     string DriverDesc TAVRO 10/100 Adapter      a REG_SZ value below HKEY_LOCAL_MACHINE
//
// The file is UTF-8; every text must lie within Latin-1 and is stored as the single-byte text the
// program reads (its code page is Windows-1252).
#pragma once

#include <string>
#include <vector>

#include "platform/sim/machine.h"

namespace sim {

struct RegistryString {
    std::string keyPath;  // below HKEY_LOCAL_MACHINE
    std::string name;
    std::string text;
};

struct MachineFile {
    std::vector<Device> devices;
    std::vector<Fault> faults;
    std::vector<RegistryString> registry;
};

// Parses a machine description. On a malformed line returns false with "line N: what" in error.
bool ParseMachineFile(const std::string& text, MachineFile& machineFile, std::string& error);

}  // namespace sim
