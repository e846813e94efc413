// The scoped test machine: every test gets a fresh simulated machine, installed for its whole
// run, whose misuse (an unmodelled call, a script that ran out) fails the test.
#pragma once

#include <gtest/gtest.h>

#include "platform/sim/machine.h"

class SimTest : public ::testing::Test {
protected:
    SimTest() : scope_(machine) {
        sim::SetFailureHandler([](const std::string& what) { ADD_FAILURE() << what; });
    }
    ~SimTest() override { sim::SetFailureHandler(nullptr); }

    // Every handle the program opened has been released.
    void ExpectAllReleased() const {
        EXPECT_EQ(machine.openDeviceInfoSets, 0) << "device information sets left open";
        EXPECT_EQ(machine.openRegistryKeys, 0) << "registry keys left open";
        EXPECT_EQ(machine.liveLocalBlocks, 0) << "local memory blocks left allocated";
    }

    sim::Machine machine;

private:
    sim::ScopedMachine scope_;
};
