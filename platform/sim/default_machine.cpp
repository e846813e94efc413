// The demonstration machine: a Windows 2000 workstation with one TAVRO card among ordinary
// devices of other makers, each with its driver key and description under the class key.
#include "platform/sim/machine.h"

namespace sim {
namespace {

const char kClassKey[] = "System\\CurrentControlSet\\Control\\Class";

struct DefaultDevice {
    const char* instanceId;
    std::vector<std::string> hardwareIds;
    const char* manufacturer;
    const char* driverKey;  // below the class key
    const char* description;
};

const DefaultDevice kDevices[] = {
    {"ROOT\\ACPI_HAL\\0000",
     {"acpipic_up"},
     "(Standard computers)",
     "{4D36E966-E325-11CE-BFC1-08002BE10318}\\0000",
     "Advanced Configuration and Power Interface (ACPI) PC"},
    {"PCI\\VEN_8086&DEV_7190&SUBSYS_00000000&REV_03\\3&61AAA01&0&00",
     {"PCI\\VEN_8086&DEV_7190&SUBSYS_00000000&REV_03", "PCI\\VEN_8086&DEV_7190&SUBSYS_00000000",
      "PCI\\VEN_8086&DEV_7190&CC_060000", "PCI\\VEN_8086&DEV_7190&CC_0600"},
     "Intel",
     "{4D36E97D-E325-11CE-BFC1-08002BE10318}\\0011",
     "Intel 82443BX Pentium(r) II Processor to PCI Bridge"},
    {"PCI\\VEN_1A7E&DEV_2000&SUBSYS_00011A7E&REV_02\\4&2F3C1A8E&0&20F0",
     {"PCI\\VEN_1A7E&DEV_2000&SUBSYS_00011A7E&REV_02", "PCI\\VEN_1A7E&DEV_2000&SUBSYS_00011A7E",
      "PCI\\VEN_1A7E&DEV_2000&CC_020000", "PCI\\VEN_1A7E&DEV_2000&CC_0200"},
     "Marlek Technology",
     "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0007",
     "Marlek TAVRO 2000 PCI Adapter"},
    {"PCI\\VEN_10DE&DEV_0110&SUBSYS_00000000&REV_A1\\4&1C3D8E5&0&0008",
     {"PCI\\VEN_10DE&DEV_0110&SUBSYS_00000000&REV_A1", "PCI\\VEN_10DE&DEV_0110&SUBSYS_00000000",
      "PCI\\VEN_10DE&DEV_0110&CC_030000", "PCI\\VEN_10DE&DEV_0110&CC_0300"},
     "NVIDIA",
     "{4D36E968-E325-11CE-BFC1-08002BE10318}\\0000",
     "NVIDIA GeForce2 MX"},
    {"PCI\\VEN_10B7&DEV_9200&SUBSYS_100010B7&REV_74\\4&1C3D8E5&0&50F0",
     {"PCI\\VEN_10B7&DEV_9200&SUBSYS_100010B7&REV_74", "PCI\\VEN_10B7&DEV_9200&SUBSYS_100010B7",
      "PCI\\VEN_10B7&DEV_9200&CC_020000", "PCI\\VEN_10B7&DEV_9200&CC_0200"},
     "3Com",
     "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001",
     "3Com EtherLink XL 10/100 PCI TX NIC (3C905B-TX)"},
    {"USB\\ROOT_HUB\\4&2A9D3C1B&0",
     {"USB\\ROOT_HUB&VID8086&PID7112&REV0001", "USB\\ROOT_HUB&VID8086&PID7112", "USB\\ROOT_HUB"},
     "(Standard USB Host Controller)",
     "{36FC9E60-C465-11CF-8056-444553540000}\\0002",
     "USB Root Hub"},
};

}  // namespace

void BuildDefaultMachine(Machine& machine) {
    machine.Key(kClassKey);
    for (const DefaultDevice& entry : kDevices) {
        Device device;
        device.instanceId = entry.instanceId;
        device.hardwareIds = MultiSz(entry.hardwareIds);
        device.manufacturer = entry.manufacturer;
        device.driverKey = entry.driverKey;
        machine.AddDevice(device);
        machine.SetString(std::string(kClassKey) + "\\" + entry.driverKey, "DriverDesc",
                          entry.description);
    }
}

}  // namespace sim
