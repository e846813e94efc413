// The simulated device installer keeps the protocol the removal pass relies on: sizes, error
// codes and their order, removal and its refusal.
#include <string>
#include <vector>

#include "platform/unique_handle.h"
#include "tests/sim_test.h"

namespace {

const std::string kHardwareIds = sim::MultiSz({"PCI\\VEN_1A2B&DEV_0001", "PCI\\VEN_1A2B"});

class SimDevicesTest : public SimTest {
protected:
    sim::Device& AddCard(const std::string& instanceId) {
        sim::Device card;
        card.instanceId = instanceId;
        card.hardwareIds = kHardwareIds;
        card.manufacturer = "Marlek Technology";
        return machine.AddDevice(card);
    }

    // The instance ids a new set lists, in order.
    std::vector<std::string> Listed(DWORD flags) {
        UniqueDevInfo set(SetupDiGetClassDevsA(nullptr, nullptr, nullptr, flags));
        std::vector<std::string> ids;
        SP_DEVINFO_DATA data = {};
        data.cbSize = sizeof data;
        char id[256];
        for (DWORD i = 0; SetupDiEnumDeviceInfo(set.get(), i, &data); ++i) {
            EXPECT_TRUE(SetupDiGetDeviceInstanceIdA(set.get(), &data, id, sizeof id, nullptr));
            ids.push_back(id);
        }
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
        return ids;
    }

    // Opens a set of present devices and selects the first one.
    void SelectFirst() {
        set_.reset(
            SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES));
        data_.cbSize = sizeof data_;
        ASSERT_TRUE(SetupDiEnumDeviceInfo(set_.get(), 0, &data_));
    }

    BOOL QueryHardwareIds(BYTE* buffer, DWORD size, DWORD* required) {
        DWORD type = 0;
        return SetupDiGetDeviceRegistryPropertyA(set_.get(), &data_, SPDRP_HARDWAREID, &type,
                                                 buffer, size, required);
    }

    UniqueDevInfo set_;
    SP_DEVINFO_DATA data_ = {};
};

TEST_F(SimDevicesTest, ListsAbsentDevicesOnlyWithoutThePresentFlag) {
    AddCard("A");
    AddCard("B").present = false;
    AddCard("C");

    EXPECT_EQ(Listed(DIGCF_ALLCLASSES), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(Listed(DIGCF_PRESENT | DIGCF_ALLCLASSES), (std::vector<std::string>{"A", "C"}));
    ExpectAllReleased();
}

TEST_F(SimDevicesTest, RefusesADeviceRecordOfTheWrongSize) {
    AddCard("A");
    UniqueDevInfo set(SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES));
    SP_DEVINFO_DATA data = {};
    data.cbSize = sizeof data - 4;

    EXPECT_FALSE(SetupDiEnumDeviceInfo(set.get(), 0, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));
}

TEST_F(SimDevicesTest, GivesAnInstanceIdOf255CharactersOnlyToA256ByteBuffer) {
    const std::string id(255, 'I');
    AddCard(id);
    SelectFirst();
    char buffer[256];
    DWORD required = 0;

    EXPECT_FALSE(SetupDiGetDeviceInstanceIdA(set_.get(), &data_, buffer, 255, &required));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(required, 256u);
    EXPECT_TRUE(SetupDiGetDeviceInstanceIdA(set_.get(), &data_, buffer, 256, nullptr));
    EXPECT_EQ(buffer, id);
}

TEST_F(SimDevicesTest, ReportsTheHardwareIdSizeThenGivesTheList) {
    AddCard("A");
    SelectFirst();
    DWORD required = 0;

    EXPECT_FALSE(QueryHardwareIds(nullptr, 0, &required));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    ASSERT_EQ(required, kHardwareIds.size());
    std::vector<BYTE> buffer(required - 1);
    EXPECT_FALSE(QueryHardwareIds(buffer.data(), required - 1, &required));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    buffer.resize(required);
    EXPECT_TRUE(QueryHardwareIds(buffer.data(), required, &required));
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_EQ(std::string(buffer.begin(), buffer.end()), kHardwareIds);
}

TEST_F(SimDevicesTest, FailsHardwareIdQueriesWithTheQueuedErrorsFirst) {
    AddCard("A").hardwareIdQueryErrors = {ERROR_NOT_ENOUGH_MEMORY, ERROR_INVALID_PARAMETER};
    AddCard("B").hardwareIds.reset();
    SelectFirst();
    std::vector<BYTE> buffer(kHardwareIds.size());
    const DWORD size = static_cast<DWORD>(buffer.size());

    for (DWORD expected : {ERROR_NOT_ENOUGH_MEMORY, ERROR_INVALID_PARAMETER}) {
        DWORD required = 0;
        EXPECT_FALSE(QueryHardwareIds(buffer.data(), size, &required));
        EXPECT_EQ(GetLastError(), expected);
        EXPECT_EQ(required, size);
    }
    DWORD required = 0;
    EXPECT_TRUE(QueryHardwareIds(buffer.data(), size, &required));

    ASSERT_TRUE(SetupDiEnumDeviceInfo(set_.get(), 1, &data_));
    EXPECT_FALSE(QueryHardwareIds(buffer.data(), size, &required));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
}

TEST_F(SimDevicesTest, RemovesADeviceUnlessTheClassInstallerRefuses) {
    AddCard("A").refuseRemoval = true;
    AddCard("B");
    SelectFirst();

    EXPECT_FALSE(SetupDiCallClassInstaller(DIF_REMOVE, set_.get(), &data_));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    ASSERT_TRUE(SetupDiEnumDeviceInfo(set_.get(), 1, &data_));
    EXPECT_TRUE(SetupDiCallClassInstaller(DIF_REMOVE, set_.get(), &data_));
    set_.reset();

    EXPECT_EQ(machine.removed, std::vector<std::string>{"B"});
    EXPECT_EQ(Listed(DIGCF_ALLCLASSES), std::vector<std::string>{"A"});
    DEVINST devInst = 0;
    char id[] = "B";
    EXPECT_EQ(CM_Locate_DevNodeA(&devInst, id, CM_LOCATE_DEVNODE_NORMAL),
              static_cast<CONFIGRET>(CR_NO_SUCH_DEVNODE));
    ExpectAllReleased();
}

TEST_F(SimDevicesTest, ReportsTheLengthADevNodePropertyNeeds) {
    AddCard("A");
    DEVINST devInst = 0;
    char id[] = "A";
    ASSERT_EQ(CM_Locate_DevNodeA(&devInst, id, CM_LOCATE_DEVNODE_NORMAL),
              static_cast<CONFIGRET>(CR_SUCCESS));
    char buffer[32];
    ULONG type = 0;
    ULONG length = 10;

    EXPECT_EQ(CM_Get_DevNode_Registry_PropertyA(devInst, CM_DRP_MFG, &type, buffer, &length, 0),
              static_cast<CONFIGRET>(CR_BUFFER_SMALL));
    EXPECT_EQ(length, 18u);  // "Marlek Technology" and its NUL
    EXPECT_EQ(CM_Get_DevNode_Registry_PropertyA(devInst, CM_DRP_MFG, &type, buffer, &length, 0),
              static_cast<CONFIGRET>(CR_SUCCESS));
    EXPECT_STREQ(buffer, "Marlek Technology");
    EXPECT_EQ(type, static_cast<ULONG>(REG_SZ));
    length = sizeof buffer;
    EXPECT_EQ(CM_Get_DevNode_Registry_PropertyA(devInst, CM_DRP_DRIVER, &type, buffer, &length, 0),
              static_cast<CONFIGRET>(CR_NO_SUCH_VALUE));
}

}  // namespace
