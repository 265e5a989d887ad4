// The cost of one frame of the game as it stands after start-up, and the CPU an idle running
// game takes.
#include "core/GameCore.h"
#include "platform/DataPath.h"
#include "shell/Datas.h"
#include "shell/ScreenForm.h"
#include "sprites/DXClass.h"
#include "sprites/DXDraws.h"

#include <QApplication>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace {

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void BM_FrameOnStartUpScene(benchmark::State& state)
{
    TScreenForm screen;
    TGameCore core(screen.DXDraw, screen.Settings());
    TDatas datas(core);
    screen.show();
    for (auto _ : state)
        screen.DXTimerTimer(1);
    benchmark::DoNotOptimize(screen.DXDraw->PresentedImage().constBits());
}
BENCHMARK(BM_FrameOnStartUpScene)->Unit(benchmark::kMicrosecond);

// Runs the real event loop with both forms for 10 s and reports the CPU used as a share of
// one core (counter "cpu_share_percent").
void BM_IdleGameCpuShare(benchmark::State& state)
{
    for (auto _ : state) {
        TScreenForm screen;
        TGameCore core(screen.DXDraw, screen.Settings());
        TDatas datas(core);
        screen.show();
        screen.activateWindow();
        // GRIP_BENCH_NO_TICK / GRIP_BENCH_NO_FRAME split the share between the two drivers.
        if (qEnvironmentVariableIsSet("GRIP_BENCH_NO_TICK"))
            core.Timer1->stop();
        if (qEnvironmentVariableIsSet("GRIP_BENCH_NO_FRAME"))
            screen.DXTimer->SetEnabled(false);
        const double before = CpuSeconds();
        QTimer::singleShot(10000, qApp, &QCoreApplication::quit);
        qApp->exec();
        const double used = CpuSeconds() - before;
        state.counters["cpu_share_percent"] = used / 10.0 * 100.0;
    }
}
BENCHMARK(BM_IdleGameCpuShare)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The whole game, on the data the build put beside the game.
    SetDataDirectory(ProgramDirectory() + "../bin/");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
