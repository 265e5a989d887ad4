#include "hid/HidDeviceController.h"
#include "hid/linux/HidrawBackend.h"
#include "hid/simulated/HidSimulatedBus.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

namespace {

std::shared_ptr<THidSimulatedBus> BusWith(int devices)
{
    auto bus = std::make_shared<THidSimulatedBus>();
    for (int i = 0; i < devices; ++i) {
        THidSimulatedDeviceConfig config;
        config.Product = "Device " + std::to_string(i);
        bus->Plug(config);
    }
    return bus;
}

// A change notice that finds the same devices: the common case, one per udev event.
void RescanUnchanged(benchmark::State& state)
{
    auto bus = BusWith(static_cast<int>(state.range(0)));
    TJvHidDeviceController controller(nullptr, bus);
    for (auto _ : state)
        controller.Rescan();
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(RescanUnchanged)->Arg(8)->Arg(64)->Arg(512);

// One device gone and one new per rescan.
void RescanOneReplugged(benchmark::State& state)
{
    auto bus = BusWith(static_cast<int>(state.range(0)));
    bus->SetAnnounce(false);
    TJvHidDeviceController controller(nullptr, bus);
    for (auto _ : state) {
        state.PauseTiming();
        bus->Unplug(bus->Devices().front());
        bus->PlugGripBall();
        state.ResumeTiming();
        controller.Rescan();
    }
}
BENCHMARK(RescanOneReplugged)->Arg(8)->Arg(64)->Arg(512);

// What the game's device-change handler does after a rescan: visit every device by name.
void EnumerateByName(benchmark::State& state)
{
    auto bus = BusWith(static_cast<int>(state.range(0)));
    TJvHidDeviceController controller(nullptr, bus);
    int found = 0;
    controller.SetOnEnumerate([&](TJvHidDevice* HidDev, int) {
        found += HidDev->ProductName() == "Kneadle Bal";
        return true;
    });
    for (auto _ : state)
        benchmark::DoNotOptimize(controller.Enumerate());
    benchmark::DoNotOptimize(found);
}
BENCHMARK(EnumerateByName)->Arg(8)->Arg(512);

// Listing the machine's hidraw nodes through udev (however many this machine has).
void ListHidrawNodes(benchmark::State& state)
{
    THidrawBackend backend;
    for (auto _ : state)
        benchmark::DoNotOptimize(backend.ListInterfaces());
}
BENCHMARK(ListHidrawNodes);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
