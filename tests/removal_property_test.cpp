// Over many random device trees, the removal pass removes exactly the present devices whose
// hardware-identifier list holds the first card's first identifier, and warns once for every
// failure it meets.
#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "dialogs/confirm_removal_dlg.h"
#include "tests/card_machine.h"
#include "tests/sim_test.h"

namespace {

// An entry the walk meets: the identifier, its near misses, other identifiers, or an empty entry
// that ends the list early.
std::vector<std::string> EntryPool() {
    std::string id = cards::kCardId;
    std::string lower = id;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return {id,
            id,
            lower,
            id.substr(0, id.size() - 3),
            id + "&X",
            id.substr(1),
            "PCI\\VEN_10DE&DEV_0110",
            "USB\\ROOT_HUB",
            ""};
}

// The identifier list as the device reports it: well formed, without its closing empty entry,
// or with its last entry cut off before its NUL.
std::string RandomList(std::mt19937& random) {
    static const std::vector<std::string> pool = EntryPool();
    std::string bytes;
    int count = std::uniform_int_distribution<int>(0, 4)(random);
    for (int i = 0; i < count; ++i) {
        bytes += pool[std::uniform_int_distribution<size_t>(0, pool.size() - 1)(random)];
        bytes += '\0';
    }
    switch (std::uniform_int_distribution<int>(0, 5)(random)) {
        case 0:  // no closing empty entry
            break;
        case 1:  // the last entry loses its NUL too
            if (!bytes.empty()) bytes.pop_back();
            break;
        default:
            bytes += '\0';
    }
    return bytes;
}

// The oracle's reading of a list: entries up to the first empty one; an entry without its NUL
// inside the data is no entry.
bool ListHolds(const std::string& bytes, const std::string& id) {
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t nul = bytes.find('\0', pos);
        if (nul == std::string::npos || nul == pos) return false;
        if (bytes.substr(pos, nul - pos) == id) return true;
        pos = nul + 1;
    }
    return false;
}

struct Expectation {
    std::vector<std::string> removed;
    int warnings = 0;
};

// What the pass must do, device by device in the order of the present set.
Expectation Oracle(const std::vector<sim::Device>& devices, const std::string& id) {
    Expectation expected;
    for (const sim::Device& device : devices) {
        if (!device.present) continue;
        int failures = static_cast<int>(device.hardwareIdQueryErrors.size());
        expected.warnings += std::min(failures, 3);
        if (failures >= 3 || !device.hardwareIds || !ListHolds(*device.hardwareIds, id)) continue;
        if (device.refuseRemoval) {
            ++expected.warnings;
        } else {
            expected.removed.push_back(device.instanceId);
        }
    }
    return expected;
}

void AddRandomDevices(sim::Machine& machine, std::mt19937& random) {
    auto chance = [&random](int percent) {
        return std::uniform_int_distribution<int>(1, 100)(random) <= percent;
    };
    int count = std::uniform_int_distribution<int>(0, 8)(random);
    for (int i = 0; i < count; ++i) {
        sim::Device device;
        device.instanceId = "ROOT\\RANDOM\\" + std::to_string(i);
        device.present = chance(75);
        if (!chance(10)) device.hardwareIds = RandomList(random);
        device.manufacturer = chance(30) ? "Marlek Technology" : "Contoso";
        device.driverKey = "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001";
        device.refuseRemoval = chance(10);
        if (chance(15)) {
            int errors = std::uniform_int_distribution<int>(1, 4)(random);
            device.hardwareIdQueryErrors.assign(errors, cards::kGenFailure);
        }
        machine.AddDevice(device);
    }
}

// One random tree per seed, each on a fresh machine.
class RemovalPropertyTest : public SimTest, public ::testing::WithParamInterface<unsigned> {
protected:
    CWinApp app_;
};

TEST_P(RemovalPropertyTest, RemovesExactlyThePresentDevicesCarryingTheIdentifier) {
    std::mt19937 random(GetParam());
    // Row 0 is always this well-formed card, so the identifier sought is known.
    cards::AddCard(machine, 0);
    AddRandomDevices(machine, random);
    Expectation expected = Oracle(machine.devices, cards::kCardId);
    for (int i = 0; i <= expected.warnings; ++i) machine.Then(sim::Action::PressOk);

    CConfirmRemovalDlg confirmation;
    INT_PTR result = confirmation.DoModal();

    EXPECT_EQ(machine.removed, expected.removed) << machine.Transcript();
    EXPECT_EQ(cards::CountMessageBoxes(machine, cards::kCannotRemove), expected.warnings);
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(machine.script.empty());
    ExpectAllReleased();
}

INSTANTIATE_TEST_SUITE_P(Seeds, RemovalPropertyTest, ::testing::Range(1u, 201u));

}  // namespace
