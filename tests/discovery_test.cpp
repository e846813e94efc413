// The discovery pass against the simulated device tree: which devices it records, in which rows,
// what it sends to the debugger, and which platform calls it makes.
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "discovery/discovery.h"
#include "tests/sim_test.h"

namespace {

const char kHardwareId[] = "PCI\\VEN_1A2B&DEV_0001&SUBSYS_00011A2B&REV_01";
const char kDriverKey[] = "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001";

std::string CardId(int n) {
    return "PCI\\VEN_1A2B&DEV_0001\\4&CARD&0&" + std::to_string(n);
}

sim::Device Card(const std::string& instanceId) {
    sim::Device card;
    card.instanceId = instanceId;
    card.hardwareIds = sim::MultiSz({kHardwareId, "PCI\\VEN_1A2B&DEV_0001"});
    card.manufacturer = "Marlek Technology";
    card.driverKey = kDriverKey;
    return card;
}

sim::Device OtherDevice(const std::string& instanceId) {
    sim::Device device = Card(instanceId);
    device.hardwareIds = sim::MultiSz({"PCI\\VEN_8086&DEV_1234"});
    device.manufacturer = "Intel";
    return device;
}

class DiscoveryTest : public SimTest {
protected:
    int Discover() { return FindVendorDevices(table_, DEVICE_TABLE_CAPACITY); }

    const DeviceEntry& Row(int index) const { return table_[index]; }

    // The instance ids of the taken rows, which must come first and without gaps.
    std::vector<std::string> TakenRows() const {
        std::vector<std::string> ids;
        int i = 0;
        for (; i < DEVICE_TABLE_CAPACITY && table_[i].szInstanceId[0] != '\0'; ++i) {
            ids.push_back(table_[i].szInstanceId);
        }
        for (; i < DEVICE_TABLE_CAPACITY; ++i) {
            EXPECT_EQ(table_[i].szInstanceId[0], '\0') << "taken row " << i << " after a gap";
        }
        return ids;
    }

    bool IsAllZero() const {
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(table_);
        for (std::size_t i = 0; i < sizeof table_; ++i) {
            if (bytes[i] != 0) return false;
        }
        return true;
    }

    // Any call about the device: locating it, reading its properties or its status.
    bool WasQueried(const std::string& instanceId) const {
        for (const sim::Call& call : machine.calls) {
            if (call.function == "SetupDiGetDeviceInstanceIdA") continue;
            if (call.detail == instanceId || call.detail.rfind(instanceId + " ", 0) == 0) {
                return true;
            }
        }
        return false;
    }

    DeviceEntry table_[DEVICE_TABLE_CAPACITY] = {};
};

TEST_F(DiscoveryTest, LeavesEveryRowFreeOnAMachineWithoutCards) {
    machine.AddDevice(OtherDevice("ACPI\\PNP0303\\4&1"));
    machine.AddDevice(OtherDevice("PCI\\VEN_8086&DEV_1234\\3&2"));

    EXPECT_EQ(Discover(), 1);

    EXPECT_TRUE(IsAllZero());
    EXPECT_TRUE(machine.debugOutput.empty());
    EXPECT_TRUE(machine.WasCalledWith("SetupDiGetClassDevsA", "flags=0x4"));
    ExpectAllReleased();
}

TEST_F(DiscoveryTest, RecordsACardWithItsFirstHardwareIdAndDriverKey) {
    machine.AddDevice(OtherDevice("ACPI\\PNP0303\\4&1"));
    machine.AddDevice(Card(CardId(1)));

    EXPECT_EQ(Discover(), 1);

    EXPECT_EQ(TakenRows(), std::vector<std::string>{CardId(1)});
    EXPECT_STREQ(Row(0).szHardwareId, kHardwareId);
    EXPECT_STREQ(Row(0).szDriverKey, kDriverKey);
    EXPECT_EQ(Row(0).bVendorMatch, TRUE);
    DEVINST located = 0;
    std::string id = CardId(1);
    ASSERT_EQ(CM_Locate_DevNodeA(&located, id.data(), CM_LOCATE_DEVNODE_NORMAL), CR_SUCCESS);
    EXPECT_EQ(Row(0).dnDevInst, located);
    ExpectAllReleased();
}

TEST_F(DiscoveryTest, QueriesACardInTheOrderOfItsQualification) {
    machine.AddDevice(Card(CardId(1)));

    Discover();

    std::vector<std::string> queries;
    for (const sim::Call& call : machine.calls) {
        if (call.function.rfind("CM_", 0) == 0)
            queries.push_back(call.function + " " + call.detail);
    }
    const std::string id = CardId(1);
    EXPECT_EQ(queries, (std::vector<std::string>{
                           "CM_Locate_DevNodeA " + id,
                           "CM_Get_DevNode_Registry_PropertyA " + id + " CM_DRP_HARDWAREID",
                           "CM_Get_DevNode_Registry_PropertyA " + id + " CM_DRP_MFG",
                           "CM_Get_DevNode_Status " + id,
                           "CM_Get_DevNode_Registry_PropertyA " + id + " CM_DRP_DRIVER",
                       }));
}

TEST_F(DiscoveryTest, RecordsAtMost32CardsAndLeavesTheRestUntouched) {
    for (int cards : {32, 33}) {
        SCOPED_TRACE("cards: " + std::to_string(cards));
        machine.devices.clear();
        machine.calls.clear();
        std::vector<std::string> expected;
        for (int n = 0; n < cards; ++n) {
            machine.AddDevice(Card(CardId(n)));
            if (n < DEVICE_TABLE_CAPACITY) expected.push_back(CardId(n));
        }

        EXPECT_EQ(Discover(), 1);

        EXPECT_EQ(TakenRows(), expected);
        EXPECT_EQ(machine.CountCalls("CM_Locate_DevNodeA"), DEVICE_TABLE_CAPACITY);
        EXPECT_FALSE(WasQueried(CardId(DEVICE_TABLE_CAPACITY)));
    }
}

// Each of these devices is listed between two cards and must be passed over; the second card
// then takes the row the device would have had.
struct RejectedCase {
    const char* name;
    std::function<void(sim::Device&)> spoil;
};

const RejectedCase kRejectedCases[] = {
    {"being removed", [](sim::Device& d) { d.status = DN_WILL_BE_REMOVED; }},
    {"listed but absent", [](sim::Device& d) { d.present = false; }},
    {"other manufacturer", [](sim::Device& d) { d.manufacturer = "Marlek"; }},
    {"no manufacturer", [](sim::Device& d) { d.manufacturer.reset(); }},
    {"no hardware ids", [](sim::Device& d) { d.hardwareIds.reset(); }},
    {"hardware-id list of 257 bytes",
     [](sim::Device& d) {
         d.hardwareIds = sim::MultiSz({std::string(100, 'A'), std::string(154, 'B')});
     }},
    {"hardware-id list without a NUL",
     [](sim::Device& d) { d.hardwareIds = std::string(40, 'A'); }},
    {"empty hardware-id property", [](sim::Device& d) { d.hardwareIds = std::string(); }},
    {"first hardware id of 128 characters",
     [](sim::Device& d) {
         d.hardwareIds = sim::MultiSz({std::string(128, 'H'), "PCI\\X"});
     }},
    {"manufacturer of 256 characters",
     [](sim::Device& d) { d.manufacturer = "Marlek Technology" + std::string(239, ' '); }},
};

TEST_F(DiscoveryTest, PassesOverARejectedDeviceAndGivesItsRowToTheNextCard) {
    for (const RejectedCase& row : kRejectedCases) {
        SCOPED_TRACE(row.name);
        machine.devices.clear();
        machine.AddDevice(Card(CardId(1)));
        row.spoil(machine.AddDevice(Card(CardId(2))));
        machine.AddDevice(Card(CardId(3)));

        EXPECT_EQ(Discover(), 1);

        EXPECT_EQ(TakenRows(), (std::vector<std::string>{CardId(1), CardId(3)}));
        EXPECT_STREQ(Row(1).szHardwareId, kHardwareId);
        EXPECT_TRUE(machine.debugOutput.empty());
    }
}

TEST_F(DiscoveryTest, KeepsAFirstHardwareIdOf127CharactersWhole) {
    const std::string longId(127, 'H');
    sim::Device card = Card(CardId(1));
    card.hardwareIds = sim::MultiSz({longId, kHardwareId});
    machine.AddDevice(card);

    Discover();

    EXPECT_EQ(Row(0).szHardwareId, longId);
}

TEST_F(DiscoveryTest, AcceptsAHardwareIdListOfExactly256Bytes) {
    sim::Device card = Card(CardId(1));
    card.hardwareIds = sim::MultiSz({kHardwareId, std::string(254 - sizeof kHardwareId, 'B')});
    ASSERT_EQ(card.hardwareIds->size(), 256u);
    machine.AddDevice(card);

    Discover();

    EXPECT_STREQ(Row(0).szHardwareId, kHardwareId);
}

TEST_F(DiscoveryTest, RecordsACardWhoseStatusCannotBeReadAndSaysWhy) {
    sim::Device card = Card(CardId(1));
    card.statusResult = CR_NO_SUCH_DEVNODE;  // 13
    machine.AddDevice(card);

    EXPECT_EQ(Discover(), 1);

    EXPECT_EQ(TakenRows(), std::vector<std::string>{CardId(1)});
    const std::string text = "Get Devicestatus(" + CardId(1) + ") failed with 0xD";
    EXPECT_EQ(machine.debugOutput, std::vector<std::string>{text});
    EXPECT_EQ(std::string(g_szDebugMessage), text);
}

TEST_F(DiscoveryTest, ClearsTheTableAndSaysWhyWhenTheDeviceListCannotBeBuilt) {
    machine.AddDevice(Card(CardId(1)));
    Discover();
    ASSERT_EQ(TakenRows().size(), 1u);
    const int enumerations = machine.CountCalls("SetupDiEnumDeviceInfo");
    machine.FailCall("SetupDiGetClassDevsA", 0, ERROR_NOT_ENOUGH_MEMORY);

    EXPECT_EQ(Discover(), 0);

    EXPECT_TRUE(IsAllZero());
    EXPECT_EQ(machine.debugOutput, std::vector<std::string>{"DE: Create device list failed(8)"});
    EXPECT_EQ(machine.CountCalls("SetupDiEnumDeviceInfo"), enumerations);
    ExpectAllReleased();
}

TEST_F(DiscoveryTest, SkipsADeviceWhoseInstanceIdCannotBeReadAndWalksOn) {
    machine.AddDevice(Card(CardId(1))).instanceIdError = ERROR_INVALID_DATA;
    machine.AddDevice(Card(CardId(2)));

    EXPECT_EQ(Discover(), 1);

    EXPECT_EQ(TakenRows(), std::vector<std::string>{CardId(2)});
    EXPECT_EQ(machine.debugOutput, std::vector<std::string>{"DE: get device id failed(13)"});
    ExpectAllReleased();
}

TEST_F(DiscoveryTest, EndsTheWalkQuietlyWhenTheEnumerationFails) {
    machine.AddDevice(Card(CardId(1)));
    machine.AddDevice(Card(CardId(2)));
    machine.FailCall("SetupDiEnumDeviceInfo", 2, ERROR_NOT_ENOUGH_MEMORY);

    EXPECT_EQ(Discover(), 1);

    EXPECT_EQ(TakenRows(), std::vector<std::string>{CardId(1)});
    EXPECT_TRUE(machine.debugOutput.empty());
    ExpectAllReleased();
}

TEST_F(DiscoveryTest, KeepsOnlyADriverKeyThatFitsWithItsTerminator) {
    struct Case {
        std::optional<std::string> driverKey;
        std::string recorded;
    };
    const std::string key62 = "{4D36E972-E325-11CE-BFC1-08002BE10318}\\" + std::string(23, '1');
    const std::string key63 = key62 + "2";
    ASSERT_EQ(key62.size(), 62u);
    const Case cases[] = {{key62, key62}, {key63, ""}, {std::string(300, 'K'), ""}, {{}, ""}};
    for (const Case& row : cases) {
        SCOPED_TRACE(row.driverKey ? std::to_string(row.driverKey->size()) : "none");
        machine.devices.clear();
        machine.AddDevice(Card(CardId(1))).driverKey = row.driverKey;

        Discover();

        EXPECT_EQ(TakenRows(), std::vector<std::string>{CardId(1)});
        EXPECT_EQ(Row(0).szDriverKey, row.recorded);
    }
}

TEST_F(DiscoveryTest, AcceptsTheThreeMakersInAnyAsciiCaseWhateverTheThreadLocale) {
    struct Case {
        const char* manufacturer;
        bool accepted;
    };
    const Case cases[] = {
        {"Marlek Technology", true},
        {"MARLEK TECHNOLOGY", true},
        {"marlek technology", true},
        {"Technologies Marlek", true},
        {"Technologies MARLEK", true},
        {"TECHNOLOGIES MARLEK", true},
        {"Nordhafen Fernnetz AG", true},
        {"nordhafen fernnetz ag", true},
        {"Marlek Technology ", false},
        {" Marlek Technology", false},
        {"Marlek Technology Inc", false},
        {"Marlek", false},
        {"Technologies", false},
        {"Nordhafen Fernnetz", false},
        {"", false},
        {"Technolog\xDD"
         "es Marlek",
         false},                          // a capital I with a dot (ISO 8859-9)
        {"MARLEK TECHNOLOG\xDD", false},  // a capital Y with an acute (ISO 8859-1)
        {"Marlek Technolog\xFD", false},
    };
    for (LCID locale : {0x0409u, 0x041Fu, 0x0407u}) {  // English, Turkish, German
        machine.threadLocale = locale;
        for (const Case& row : cases) {
            SCOPED_TRACE(std::string("locale ") + std::to_string(locale) + ", maker \"" +
                         row.manufacturer + "\"");
            machine.devices.clear();
            machine.AddDevice(Card(CardId(1))).manufacturer = row.manufacturer;

            Discover();

            EXPECT_EQ(Row(0).szInstanceId[0] != '\0', row.accepted);
            EXPECT_EQ(IsAcceptedManufacturer(row.manufacturer), row.accepted ? TRUE : FALSE);
        }
    }
}

TEST_F(DiscoveryTest, RefillsAUsedTableAsIfItWereNew) {
    for (int n = 0; n < 3; ++n) {
        sim::Device card = Card(CardId(n) + std::string(200, 'X'));
        card.hardwareIds = sim::MultiSz({std::string(127, 'H')});
        card.driverKey = std::string(62, 'K');
        machine.AddDevice(card);
    }
    Discover();
    machine.devices.clear();
    sim::Device card = Card(CardId(9));
    card.driverKey.reset();
    machine.AddDevice(card);

    Discover();

    DeviceEntry fresh[DEVICE_TABLE_CAPACITY] = {};
    FindVendorDevices(fresh, DEVICE_TABLE_CAPACITY);
    EXPECT_EQ(TakenRows(), std::vector<std::string>{CardId(9)});
    EXPECT_EQ(std::memcmp(table_, fresh, sizeof fresh), 0);
}

TEST_F(DiscoveryTest, RecordsAnInstanceIdOf255CharactersAndCutsItsLongDiagnostic) {
    const std::string id = "PCI\\" + std::string(251, 'I');
    sim::Device card = Card(id);
    card.statusResult = CR_NO_SUCH_DEVNODE;
    machine.AddDevice(card);

    Discover();

    EXPECT_EQ(TakenRows(), std::vector<std::string>{id});
    const std::string full = "Get Devicestatus(" + id + ") failed with 0xD";
    ASSERT_EQ(machine.debugOutput.size(), 1u);
    EXPECT_EQ(machine.debugOutput[0], full.substr(0, 255));
    EXPECT_EQ(std::strlen(g_szDebugMessage), 255u);
}

}  // namespace
