// The scoped test machine: every test gets a fresh simulated machine, installed for its whole
// run, whose misuse (an unmodelled call, a script that ran out) fails the test. At the end of
// every test each registry key, device information set and local memory block must have been
// released, unless the test opted out with its reason.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/sim/machine.h"

class SimTest : public ::testing::Test {
protected:
    SimTest() : scope_(machine) {
        sim::SetFailureHandler([](const std::string& what) { ADD_FAILURE() << what; });
    }
    // Checked after the derived fixture's members are gone, so handles they own count as
    // released; a failure here still belongs to the test.
    ~SimTest() override {
        if (unreleasedReason_.empty()) ExpectAllReleased();
        sim::SetFailureHandler(nullptr);
    }

    // For a test that leaves handles open on purpose (say, to show they are counted).
    void AllowUnreleased(const std::string& reason) { unreleasedReason_ = reason; }

    // Every handle the program opened has been released.
    void ExpectAllReleased() const {
        EXPECT_EQ(machine.openDeviceInfoSets, 0) << "device information sets left open";
        EXPECT_EQ(machine.openRegistryKeys, 0) << "registry keys left open";
        EXPECT_EQ(machine.liveLocalBlocks, 0) << "local memory blocks left allocated";
    }

    sim::Machine machine;

private:
    sim::ScopedMachine scope_;
    std::string unreleasedReason_;
};
