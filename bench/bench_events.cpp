// The cost of one event: the rules alone, the real main window (offscreen)
// from a mouse-down or a tick until its widgets are painted, and the TOP5
// file routines.

#include "table.h"

#include "../tests/support/fakeplatform.h"
#include "../tests/support/workdir.h"
#include "game/lamp.h"
#include "app/program.h"
#include "desktop/application.h"
#include "game/round.h"
#include "game/vikkelo.h"
#include "top5/sijoitus.h"
#include "top5/tiedot.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <map>

namespace {

using Clock = std::chrono::steady_clock;

double microseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

// A round whose sequence holds `digits` lamps, every one pressed in turn.
void playTo(Round& round, std::int64_t digits)
{
    round.lopetus();
    round.toggle();
    for (std::int64_t i = 0; i < digits; ++i)
        round.press(round.tick());
}

// Ticks lengthen the sequence; it is rebuilt once it has grown well past
// the length measured (at most twice, or 4096 digits, as long).
bool tooLong(const Round& round, std::int64_t digits)
{
    return std::int64_t(round.jono().size()) > std::max(2 * digits, digits + 4096);
}

// The press check in steady state: presses judged against a sequence of
// fixed length (a press past its end is compared with its last digit, so
// the sequence does not grow).
void BM_PressCheck(benchmark::State& state)
{
    FixedTimeOfDay clock;
    SplitMixRandom random;
    Round round(clock, random);
    playTo(round, state.range(0));
    const int lamp = round.sama();
    for (auto _ : state)
        benchmark::DoNotOptimize(round.press(lamp));
    state.counters["jono"] = double(round.jono().size());
}

// Ticks, each followed by the correct press when `press` is set, as a player
// who keeps up plays.
void runTicks(benchmark::State& state, bool press)
{
    FixedTimeOfDay clock;
    SplitMixRandom random;
    Round round(clock, random);
    const std::int64_t digits = state.range(0);
    playTo(round, digits);
    for (auto _ : state) {
        if (tooLong(round, digits)) {
            state.PauseTiming();
            playTo(round, digits);
            state.ResumeTiming();
        }
        const int lamp = round.tick();
        if (press)
            benchmark::DoNotOptimize(round.press(lamp));
        benchmark::DoNotOptimize(lamp);
    }
}

void BM_TickAndPress(benchmark::State& state)
{
    runTicks(state, true);
}

void BM_Tick(benchmark::State& state)
{
    runTicks(state, false);
}

// The real program's windows with scripted dialogs, in a working folder of
// their own.
struct Board {
    TempWorkdir dir;
    FakePlatform fake;
    Program program{fake.platform};
    Vikkelo& window;

    Board() : window(program.vikkelo().get())
    {
        window.show();
        QApplication::processEvents();
        window.findChild<QPushButton*>("uusipeli")->click();
        // Ticks are driven by hand here; the real timer must not add any.
        window.Timer1().stop();
    }
    void tick() { QMetaObject::invokeMethod(&window.Timer1(), "timeout"); }
    void press(int lamp)
    {
        Lamp& target = window.painike(lamp);
        const QPointF at(target.width() / 2.0, target.height() / 2.0);
        QMouseEvent event(QEvent::MouseButtonPress, at, target.mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&target, &event);
    }
    // Paints and flushes whatever the event changed.
    static void paint() { QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest); }
};

void reportMedian(benchmark::State& state, const std::vector<double>& samples)
{
    state.counters["median_us"] = bench::quantile(samples, 0.5);
    state.counters["p99_us"] = bench::quantile(samples, 0.99);
}

void BM_WindowPress(benchmark::State& state)
{
    Board board;
    std::vector<double> samples;
    for (auto _ : state) {
        state.PauseTiming();
        board.tick();
        Board::paint();
        const int lamp = board.window.round().sama();
        state.ResumeTiming();
        const auto start = Clock::now();
        board.press(lamp);
        Board::paint();
        const auto took = Clock::now() - start;
        samples.push_back(microseconds(took));
    }
    if (board.window.round().peli() != 1)
        state.SkipWithError("the round ended during the benchmark");
    reportMedian(state, samples);
}

void BM_WindowTick(benchmark::State& state)
{
    Board board;
    std::vector<double> samples;
    for (auto _ : state) {
        const auto start = Clock::now();
        board.tick();
        Board::paint();
        samples.push_back(microseconds(Clock::now() - start));
    }
    reportMedian(state, samples);
}

const QByteArray kTable = "Matti,50\r\n\xc4ij\xe4,40\r\nLiisa,30\r\nPekka,20\r\nTeppo,12\r\n";

void writeFile(const QString& name, const QByteArray& bytes)
{
    QFile f(name);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        std::abort();
}

// Bytes this process has read so far, from the kernel's own count.
long long bytesRead()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value) {
        if (key == "rchar:")
            return value;
    }
    return -1;
}

void BM_LataaTop5(benchmark::State& state)
{
    Board board;
    writeFile("TOP5.dat", kTable);
    std::vector<double> samples;
    for (auto _ : state) {
        const auto start = Clock::now();
        board.program.tiedot().LataaTop5();
        Board::paint();
        samples.push_back(microseconds(Clock::now() - start));
    }
    reportMedian(state, samples);
}

void BM_TallennaTop5(benchmark::State& state)
{
    Board board;
    writeFile("TOP5.dat", kTable);
    board.program.tiedot().LataaTop5();
    std::vector<double> samples;
    for (auto _ : state) {
        const auto start = Clock::now();
        if (board.program.tiedot().TallennaTop5() != Tiedot::SaveResult::Saved)
            state.SkipWithError("save failed");
        samples.push_back(microseconds(Clock::now() - start));
    }
    reportMedian(state, samples);
}

// A 100 MB file with no field end in it: set aside as TOP5.dat.bak and
// replaced by the default table, reading only its start.
void BM_LataaTop5Hostile(benchmark::State& state)
{
    Board board;
    {
        QFile f("TOP5.dat");
        if (!f.open(QIODevice::WriteOnly))
            std::abort();
        const QByteArray block(1 << 20, 'x');
        for (int i = 0; i < 100; ++i)
            f.write(block);
    }
    std::vector<double> samples;
    long long read = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // Put the hostile file back where the last load set it aside.
        if (QFile::exists("TOP5.dat.bak") &&
            !(QFile::remove("TOP5.dat") && QFile::rename("TOP5.dat.bak", "TOP5.dat")))
            std::abort();
        const long long before = bytesRead();
        state.ResumeTiming();
        const auto start = Clock::now();
        board.program.tiedot().LataaTop5();
        samples.push_back(microseconds(Clock::now() - start));
        state.PauseTiming();
        read = bytesRead() - before;
        state.ResumeTiming();
    }
    if (QFileInfo("TOP5.dat.bak").size() != 100 << 20)
        state.SkipWithError("the hostile file was not set aside whole");
    reportMedian(state, samples);
    state.counters["read_bytes"] = double(read);
}

// Prints each benchmark as a row of the common table.
class TableReporter : public benchmark::BenchmarkReporter {
public:
    bool ReportContext(const Context&) override { return true; }
    void ReportRuns(const std::vector<Run>& runs) override
    {
        static const std::map<std::string, std::string> targets = {
            {"BM_PressCheck/1000000", "at most 1.5 x the 100-digit cost"},
            {"BM_TickAndPress/1000000", "at most 1.5 x the 100-digit cost"},
            {"BM_Tick/1000000", "at most 1.5 x the 100-digit cost"},
            {"BM_WindowPress", "median under 50 us"},
            {"BM_WindowTick", "median under 50 us"},
            {"BM_LataaTop5", "under 1 ms"},
            {"BM_LataaTop5Hostile", "under 50 ms, not reading the whole file"},
        };
        for (const Run& run : runs) {
            if (run.error_occurred) {
                bench::row(run.benchmark_name(), "error: " + run.error_message, "");
                continue;
            }
            const std::string name = run.benchmark_name();
            const std::string key = name.substr(0, name.find("/iterations"));
            std::string measured;
            if (run.counters.count("median_us")) {
                measured = bench::format("median %.1f us", run.counters.at("median_us")) +
                           bench::format(", p99 %.1f us", run.counters.at("p99_us"));
            } else {
                measured = bench::format("%.1f ns", run.GetAdjustedRealTime());
            }
            if (run.counters.count("read_bytes"))
                measured += bench::format(", read %.0f bytes", run.counters.at("read_bytes"));
            const auto target = targets.find(key);
            bench::row(name, measured, target == targets.end() ? "" : target->second);
        }
    }
    void Finalize() override {}
};

} // namespace

BENCHMARK(BM_PressCheck)->Arg(100)->Arg(10'000)->Arg(1'000'000);
BENCHMARK(BM_TickAndPress)->Arg(100)->Arg(10'000)->Arg(1'000'000);
BENCHMARK(BM_Tick)->Arg(100)->Arg(10'000)->Arg(1'000'000);
BENCHMARK(BM_WindowPress)->Iterations(2000);
BENCHMARK(BM_WindowTick)->Iterations(2000);
BENCHMARK(BM_LataaTop5)->Iterations(500);
BENCHMARK(BM_TallennaTop5)->Iterations(100);
BENCHMARK(BM_LataaTop5Hostile)->Iterations(20);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setUpWindows();
    benchmark::Initialize(&argc, argv);
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
