// The discovery pass over large simulated device trees: time per device, platform calls per
// device by kind, and heap allocations made while the pass runs. Beside it, a bare loop makes
// the same platform calls with none of the pass's own work, so the difference is the pass's
// own cost.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "discovery/discovery.h"
#include "platform/sim/machine.h"
#include "platform/unique_handle.h"

namespace {

std::atomic<long> g_allocations{0};

}  // namespace

// Every heap allocation of the process goes through here while the benchmarks run. Kept out of
// line: GCC would otherwise pair an inlined free() with operator new and warn.
[[gnu::noinline]] void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}
[[gnu::noinline]] void* operator new[](std::size_t size) {
    return operator new(size);
}
[[gnu::noinline]] void operator delete(void* block) noexcept {
    std::free(block);
}
[[gnu::noinline]] void operator delete[](void* block) noexcept {
    std::free(block);
}
[[gnu::noinline]] void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
[[gnu::noinline]] void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}

namespace {

const int kVendorCards = 5;

// A device tree like a well-used machine's: a quarter of the devices are no longer present,
// and a few vendor cards are spread through the list.
void BuildTree(sim::Machine& machine, int devices) {
    const char* const makers[] = {"(Standard system devices)", "Intel", "Microsoft", "Realtek"};
    char text[128];
    for (int i = 0; i < devices; ++i) {
        sim::Device device;
        bool vendor = i % (devices / kVendorCards) == devices / kVendorCards / 2;
        std::snprintf(text, sizeof text, "PCI\\VEN_%s&DEV_%04X\\3&11583659&0&%08X",
                      vendor ? "1A2B" : "8086", i % 0x10000, i);
        device.instanceId = text;
        device.present = vendor || i % 4 != 0;
        std::snprintf(text, sizeof text, "PCI\\VEN_%s&DEV_%04X&SUBSYS_00000000&REV_01",
                      vendor ? "1A2B" : "8086", i % 0x10000);
        device.hardwareIds = sim::MultiSz({text, "PCI\\CC_020000"});
        device.manufacturer = vendor ? "Marlek Technology" : makers[i % 4];
        std::snprintf(text, sizeof text, "{4D36E972-E325-11CE-BFC1-08002BE10318}\\%04d", i % 10000);
        device.driverKey = text;
        machine.AddDevice(std::move(device));
    }
}

// The platform calls of the pass, without its table, case folding or bounds.
int BarePlatformCalls() {
    UniqueDevInfo list(SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES));
    SP_DEVINFO_DATA data = {};
    data.cbSize = sizeof data;
    char id[256], property[256], maker[256];
    int found = 0;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(list.get(), i, &data); ++i) {
        if (!SetupDiGetDeviceInstanceIdA(list.get(), &data, id, sizeof id, nullptr)) continue;
        DEVINST devInst = 0;
        if (CM_Locate_DevNodeA(&devInst, id, 0) != CR_SUCCESS) continue;
        ULONG type = 0, length = 256;
        if (CM_Get_DevNode_Registry_PropertyA(devInst, CM_DRP_HARDWAREID, &type, property, &length,
                                              0) != CR_SUCCESS) {
            continue;
        }
        length = 256;
        if (CM_Get_DevNode_Registry_PropertyA(devInst, CM_DRP_MFG, &type, maker, &length, 0) !=
                CR_SUCCESS ||
            std::strcmp(maker, "Marlek Technology") != 0) {
            continue;
        }
        ULONG status = 0, problem = 0;
        CM_Get_DevNode_Status(&status, &problem, devInst, 0);
        length = 256;
        CM_Get_DevNode_Registry_PropertyA(devInst, CM_DRP_DRIVER, &type, property, &length, 0);
        ++found;
    }
    return found;
}

int DiscoveryPass() {
    static DeviceEntry table[DEVICE_TABLE_CAPACITY];
    FindVendorDevices(table, DEVICE_TABLE_CAPACITY);
    return table[kVendorCards - 1].szInstanceId[0] != '\0' ? kVendorCards : 0;
}

// Calls per device of one pass, by kind, from the machine's call log.
void CountCallsPerDevice(benchmark::State& state, sim::Machine& machine, int (*pass)()) {
    machine.logCalls = true;
    machine.calls.clear();
    pass();
    double devices = static_cast<double>(machine.devices.size());
    state.counters["locate/dev"] = machine.CountCalls("CM_Locate_DevNodeA") / devices;
    state.counters["prop/dev"] = machine.CountCalls("CM_Get_DevNode_Registry_PropertyA") / devices;
    state.counters["status/dev"] = machine.CountCalls("CM_Get_DevNode_Status") / devices;
    state.counters["id/dev"] = machine.CountCalls("SetupDiGetDeviceInstanceIdA") / devices;
    state.counters["enum/dev"] = machine.CountCalls("SetupDiEnumDeviceInfo") / devices;
    machine.calls.clear();
    machine.calls.shrink_to_fit();
}

void RunPass(benchmark::State& state, int (*pass)()) {
    sim::Machine machine;
    BuildTree(machine, static_cast<int>(state.range(0)));
    sim::ScopedMachine scope(machine);
    machine.logCalls = false;
    if (pass() != kVendorCards) state.SkipWithError("the vendor cards were not all found");

    long allocationsBefore = g_allocations.load();
    for (auto _ : state) benchmark::DoNotOptimize(pass());
    long allocations = g_allocations.load() - allocationsBefore;

    state.counters["allocs/pass"] = static_cast<double>(allocations) / state.iterations();
    state.counters["time/dev"] = benchmark::Counter(
        static_cast<double>(state.range(0)),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    CountCallsPerDevice(state, machine, pass);
}

// The pass and the bare loop taken turn about, so a load that comes and goes on the machine
// weighs on both alike: "own%" is what the pass adds to the platform calls it makes.
void BM_PassBesideBareLoop(benchmark::State& state) {
    sim::Machine machine;
    BuildTree(machine, static_cast<int>(state.range(0)));
    sim::ScopedMachine scope(machine);
    machine.logCalls = false;
    DiscoveryPass();
    std::chrono::steady_clock::duration pass{}, bare{};
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(BarePlatformCalls());
        auto middle = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(DiscoveryPass());
        auto end = std::chrono::steady_clock::now();
        bare += middle - start;
        pass += end - middle;
    }
    state.counters["own%"] = 100.0 * static_cast<double>(pass.count() - bare.count()) /
                             static_cast<double>(bare.count());
}

void BM_DiscoveryPass(benchmark::State& state) {
    RunPass(state, DiscoveryPass);
}
void BM_BarePlatformCalls(benchmark::State& state) {
    RunPass(state, BarePlatformCalls);
}

BENCHMARK(BM_DiscoveryPass)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PassBesideBareLoop)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BarePlatformCalls)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
