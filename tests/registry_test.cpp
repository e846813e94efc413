// The simulated registry behaves as the advapi32 calls the lookup relies on.
#include <string>

#include "platform/sim/machine.h"
#include "tests/sim_test.h"

namespace {

const char kClassKey[] = "System\\CurrentControlSet\\Control\\Class";
const char kDriverKey[] =
    "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\0007";

class RegistryTest : public SimTest {
protected:
    LSTATUS Open(HKEY base, const char* subKey, REGSAM access, HKEY* key) {
        return RegOpenKeyExA(base, subKey, 0, access, key);
    }
};

TEST_F(RegistryTest, OpensKeysWithoutRegardToCaseAndCountsEveryHandle) {
    machine.Key(kDriverKey);
    HKEY classKey = nullptr;
    HKEY driverKey = nullptr;
    ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, "SYSTEM\\currentcontrolset\\CONTROL\\class", KEY_ALL_ACCESS,
                   &classKey),
              ERROR_SUCCESS);
    ASSERT_EQ(
        Open(classKey, "{4d36e972-e325-11ce-bfc1-08002be10318}\\0007", KEY_ALL_ACCESS, &driverKey),
        ERROR_SUCCESS);
    EXPECT_NE(classKey, driverKey);
    EXPECT_EQ(machine.openRegistryKeys, 2);
    EXPECT_EQ(RegCloseKey(driverKey), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(classKey), ERROR_SUCCESS);
    ExpectAllReleased();
}

TEST_F(RegistryTest, AnEmptySubkeyOpensTheSameKeyAgainAsANewHandle) {
    machine.SetString(kClassKey, "DriverDesc", "class");
    HKEY classKey = nullptr;
    HKEY again = nullptr;
    ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, kClassKey, KEY_ALL_ACCESS, &classKey), ERROR_SUCCESS);
    ASSERT_EQ(Open(classKey, "", KEY_ALL_ACCESS, &again), ERROR_SUCCESS);
    EXPECT_NE(classKey, again);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(again, "DriverDesc", nullptr, nullptr, nullptr, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, 6u);
    RegCloseKey(again);
    RegCloseKey(classKey);
    ExpectAllReleased();
}

TEST_F(RegistryTest, RefusesMissingKeysAndFullAccessWhereDenied) {
    struct Case {
        const char* name;
        const char* path;
        REGSAM access;
        LSTATUS expected;
    };
    machine.Key(kDriverKey);
    machine.Key(kClassKey).denyFullAccess = true;
    const Case cases[] = {
        {"missing key", "System\\CurrentControlSet\\Control\\Nothing", KEY_ALL_ACCESS,
         ERROR_FILE_NOT_FOUND},
        {"denied key, full access", kClassKey, KEY_ALL_ACCESS, ERROR_ACCESS_DENIED},
        {"denied key, read access", kClassKey, KEY_READ, ERROR_SUCCESS},
        {"key below a denied one keeps its own rule", kDriverKey, KEY_ALL_ACCESS, ERROR_SUCCESS},
    };
    for (const Case& c : cases) {
        HKEY key = nullptr;
        EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, c.path, c.access, &key), c.expected) << c.name;
        EXPECT_EQ(key != nullptr, c.expected == ERROR_SUCCESS) << c.name;
        if (key != nullptr) RegCloseKey(key);
    }
    ExpectAllReleased();
}

TEST_F(RegistryTest, QueryReportsTypeAndSizeAndAsksForMoreRoom) {
    machine.SetValue(kDriverKey, "Blob", std::string("\x01\x00\x02", 3), REG_BINARY);
    HKEY key = nullptr;
    ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, kDriverKey, KEY_READ, &key), ERROR_SUCCESS);
    BYTE data[8] = {0xEE, 0xEE, 0xEE, 0xEE};
    DWORD type = REG_NONE;
    DWORD size = 2;
    EXPECT_EQ(RegQueryValueExA(key, "blob", nullptr, &type, data, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    size = sizeof data;
    EXPECT_EQ(RegQueryValueExA(key, "Blob", nullptr, &type, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), 4), std::string("\x01\x00\x02\xEE", 4));
    EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, &type, data, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
    ExpectAllReleased();
}

TEST_F(RegistryTest, SetStringStoresTheTextWithItsNul) {
    machine.SetString(kDriverKey, "DriverDesc", "Card");
    const sim::RegistryValue& value = machine.Key(kDriverKey).values.at("driverdesc");
    EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(value.data, std::string("Card\0", 5));
}

TEST_F(RegistryTest, InjectedFaultsAreReturnedAndLogged) {
    machine.Key(kDriverKey);
    machine.FailCall("RegOpenKeyExA", 2, ERROR_ACCESS_DENIED);
    HKEY first = nullptr;
    HKEY second = nullptr;
    EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, kDriverKey, KEY_ALL_ACCESS, &first), ERROR_SUCCESS);
    EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, kDriverKey, KEY_ALL_ACCESS, &second), ERROR_ACCESS_DENIED);
    EXPECT_EQ(second, nullptr);
    EXPECT_TRUE(
        machine.WasCalledWith("RegOpenKeyExA", std::string(kDriverKey) + " access=0xF003F"));
    RegCloseKey(first);
    ExpectAllReleased();
}

}  // namespace
