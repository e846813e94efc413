// The machine description files that the stand-in device installer reads under Wine.
#include "platform/sim/machine_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

namespace {

sim::MachineFile Parse(const std::string& text) {
    sim::MachineFile file;
    std::string error;
    EXPECT_TRUE(sim::ParseMachineFile(text, file, error)) << error;
    return file;
}

TEST(MachineFile, ReadsEveryPropertyOfADevice) {
    sim::MachineFile file = Parse(
        "# one card\n"
        "device PCI\\VEN_10B7&DEV_9200\\4&2A51C5F&0&48F0\r\n"
        "  hardware-id PCI\\VEN_10B7&DEV_9200&SUBSYS_100010B7\n"
        "  hardware-id PCI\\VEN_10B7&DEV_9200\n"
        "  manufacturer Marlek Technology\n"
        "  driver-key {4D36E972-E325-11CE-BFC1-08002BE10318}\\0007\n"
        "  status 0x40000\n"
        "  status-fails 13\n"
        "  instance-id-fails 0x7B\n"
        "  hardware-id-query-fails 31\n"
        "  hardware-id-query-fails 1\n"
        "  refuse-removal\n"
        "  absent\n");
    ASSERT_EQ(file.devices.size(), 1u);
    const sim::Device& device = file.devices[0];
    EXPECT_EQ(device.instanceId, "PCI\\VEN_10B7&DEV_9200\\4&2A51C5F&0&48F0");
    EXPECT_EQ(device.hardwareIds,
              sim::MultiSz({"PCI\\VEN_10B7&DEV_9200&SUBSYS_100010B7", "PCI\\VEN_10B7&DEV_9200"}));
    EXPECT_EQ(device.manufacturer, "Marlek Technology");
    EXPECT_EQ(device.driverKey, "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0007");
    EXPECT_EQ(device.status, 0x40000u);
    EXPECT_EQ(device.statusResult, 13u);
    EXPECT_EQ(device.instanceIdError, 0x7Bu);
    EXPECT_EQ(device.hardwareIdQueryErrors, (std::deque<DWORD>{31, 1}));
    EXPECT_TRUE(device.refuseRemoval);
    EXPECT_FALSE(device.present);
}

TEST(MachineFile, LeavesUnnamedPropertiesMissing) {
    sim::MachineFile file = Parse("device ROOT\\LEGACY\\0000\n");
    ASSERT_EQ(file.devices.size(), 1u);
    const sim::Device& device = file.devices[0];
    EXPECT_TRUE(device.present);
    EXPECT_FALSE(device.hardwareIds.has_value());
    EXPECT_FALSE(device.manufacturer.has_value());
    EXPECT_FALSE(device.driverKey.has_value());
    EXPECT_FALSE(device.refuseRemoval);
}

TEST(MachineFile, KeepsDevicesFaultsAndRegistryValuesInOrder) {
    sim::MachineFile file = Parse(
        "device A\\1\n"
        "device B\\2\n"
        "  manufacturer Nordhafen Fernnetz AG\n"
        "fail SetupDiGetClassDevsA 2 8\n"
        "fail CM_Get_DevNode_Status 0 0x1A PCI\\VEN 1\n"
        "key System\\CurrentControlSet\\Control\\Class\\{X}\\0007\n"
        "  string DriverDesc Karte f\xC3\xBCr das Netz\n"
        "  string Empty\n");
    ASSERT_EQ(file.devices.size(), 2u);
    EXPECT_EQ(file.devices[1].manufacturer, "Nordhafen Fernnetz AG");
    ASSERT_EQ(file.faults.size(), 2u);
    EXPECT_EQ(file.faults[0].function, "SetupDiGetClassDevsA");
    EXPECT_EQ(file.faults[0].nth, 2);
    EXPECT_EQ(file.faults[0].error, 8u);
    EXPECT_EQ(file.faults[1].nth, 0);
    EXPECT_EQ(file.faults[1].error, 0x1Au);
    EXPECT_EQ(file.faults[1].detailContains, "PCI\\VEN 1");
    ASSERT_EQ(file.registry.size(), 2u);
    EXPECT_EQ(file.registry[0].keyPath, "System\\CurrentControlSet\\Control\\Class\\{X}\\0007");
    EXPECT_EQ(file.registry[0].name, "DriverDesc");
    EXPECT_EQ(file.registry[0].text, "Karte f\xFCr das Netz");  // stored as Windows-1252
    EXPECT_EQ(file.registry[1].text, "");
}

TEST(MachineFile, RejectsMalformedLinesNamingTheLine) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"manufacturer Marlek\n", "line 1: 'manufacturer' outside a device"},
        {"device A\n  colour red\n", "line 2: unknown keyword 'colour'"},
        {"device A\n\n  status high\n", "line 3: 'status' needs a number"},
        {"device A\n  status 0x1FFFFFFFF\n", "line 2: 'status' needs a number"},
        {"device A\n  manufacturer\n", "line 2: 'manufacturer' needs a text"},
        {"device A\n  absent yes\n", "line 2: 'absent' takes nothing"},
        {"device\n", "line 1: a device needs an instance id"},
        {"fail SetupDiGetClassDevsA 2\n",
         "line 1: expected: fail <function> <nth> <error> [detail]"},
        {"string DriverDesc x\n", "line 1: 'string' outside a key"},
        {"key K\n  manufacturer M\n", "line 2: 'manufacturer' outside a device"},
        {"device A\n  manufacturer \xE2\x82\xAC\n", "line 2: text outside Latin-1"},
    };
    for (const Case& c : cases) {
        sim::MachineFile file;
        std::string error;
        EXPECT_FALSE(sim::ParseMachineFile(c.text, file, error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

}  // namespace

namespace {

std::string ReadDefaultMachineFile() {
    std::string source = __FILE__;
    std::string folder = source.substr(0, source.find_last_of('/'));
    std::ifstream file(folder + "/e2e/machines/default.machine", std::ios::binary);
    EXPECT_TRUE(file.is_open()) << "tests/e2e/machines/default.machine";
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Every value of every key, as "path\name=type:bytes" lines.
std::set<std::string> RegistryValues(const sim::Machine& machine) {
    std::set<std::string> values;
    for (const auto& [path, key] : machine.registryKeys) {
        for (const auto& [name, value] : key.values) {
            values.insert(path + "\\" + name + "=" + std::to_string(value.type) + ":" + value.data);
        }
    }
    return values;
}

// The Wine runs use the same default machine as the host tool and tests.
TEST(MachineFile, DefaultMachineFileDescribesTheBuiltInDefaultMachine) {
    sim::MachineFile file = Parse(ReadDefaultMachineFile());
    sim::Machine builtIn;
    sim::BuildDefaultMachine(builtIn);

    ASSERT_EQ(file.devices.size(), builtIn.devices.size());
    for (std::size_t i = 0; i < file.devices.size(); ++i) {
        const sim::Device& fromFile = file.devices[i];
        const sim::Device& expected = builtIn.devices[i];
        EXPECT_EQ(fromFile.instanceId, expected.instanceId) << "device " << i;
        EXPECT_EQ(fromFile.present, expected.present) << "device " << i;
        EXPECT_EQ(fromFile.hardwareIds, expected.hardwareIds) << "device " << i;
        EXPECT_EQ(fromFile.manufacturer, expected.manufacturer) << "device " << i;
        EXPECT_EQ(fromFile.driverKey, expected.driverKey) << "device " << i;
        EXPECT_EQ(fromFile.status, expected.status) << "device " << i;
        EXPECT_EQ(fromFile.refuseRemoval, expected.refuseRemoval) << "device " << i;
    }
    sim::Machine described;
    for (const sim::RegistryString& value : file.registry) {
        described.SetString(value.keyPath, value.name, value.text);
    }
    EXPECT_EQ(RegistryValues(described), RegistryValues(builtIn));
    EXPECT_TRUE(file.faults.empty());
}

}  // namespace
