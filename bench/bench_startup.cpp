// Start-up from process start to the main window's first frame, and the
// resident memory then, for the game and for a bare Qt program, each run
// alternately several times on the same platform. Arguments: the folder of
// the probes, the number of runs, and the Qt platforms to try (offscreen, xcb).
// With --wine first, the probes are the Windows build's, run under Wine with
// Qt's windows platform; their first frame is timed when their line reaches
// this process, as Wine's clock is not this one, and also from the Windows
// process's creation as the probe tells it, without Wine's own start; their
// memory is not told.

#include "table.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <ctime>

namespace {

long long monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

struct Sample {
    double ms = -1;
    double rssMb = -1;
    double inProcessMs = -1;
};

Sample runOnce(const QString& program, const QString& platform, const QString& folder, bool wine)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (wine)
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    else
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    process.setProcessEnvironment(env);
    const long long start = monotonicNs();
    if (wine)
        process.start(QStringLiteral("wine"), {program + ".exe"});
    else
        process.start(program, {});
    const bool told = !wine || process.waitForReadyRead(30'000);
    const long long arrived = monotonicNs();
    if (!told || !process.waitForFinished(30'000))
        return {};
    const QList<QByteArray> fields = process.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() != 2)
        return {};
    if (wine)
        return {double(arrived - start) / 1e6, -1, fields[0].toDouble() / 1e6};
    return {double(fields[0].toLongLong() - start) / 1e6, fields[1].toDouble() / 1024.0};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    const bool wine = args.size() > 1 && args[1] == QStringLiteral("--wine");
    if (wine)
        args.removeAt(1);
    if (args.size() < 4)
        return 2;
    const QString probes = args[1];
    const int runs = args[2].toInt();

    // The game starts as a player's would: with a table to load.
    QTemporaryDir folder;
    QFile table(folder.filePath(QStringLiteral("TOP5.dat")));
    if (!table.open(QIODevice::WriteOnly))
        return 1;
    table.write("Matti,50\r\nLiisa,40\r\nPekka,30\r\nTeppo,20\r\nTuntematon,12\r\n");
    table.close();

    // And as a first run does: in an empty folder, where the default table
    // and the lock are made under the lock.
    for (const QString& platform : args.mid(3)) {
        for (const bool empty : {false, true}) {
            std::vector<double> gameMs, bareMs, gameMb, bareMb, gameIn, bareIn;
            for (int i = 0; i < runs; ++i) {
                QTemporaryDir fresh;
                for (bool game : {true, false}) {
                    const Sample s = runOnce(probes + (game ? "/startup_probe" : "/bare_probe"), platform,
                                             empty ? fresh.path() : folder.path(), wine);
                    if (s.ms < 0) {
                        bench::row("start-up on " + platform.toStdString(), "probe failed", "");
                        return 1;
                    }
                    (game ? gameMs : bareMs).push_back(s.ms);
                    (game ? gameMb : bareMb).push_back(s.rssMb);
                    (game ? gameIn : bareIn).push_back(s.inProcessMs);
                }
            }
            const double game = bench::quantile(gameMs, 0.5), bare = bench::quantile(bareMs, 0.5);
            const std::string on = " (" + platform.toStdString() + (empty ? ", empty folder" : ", saved table") +
                                   ", median of " + std::to_string(runs) + ")";
            bench::row("start-up to first frame" + on,
                       bench::format("game %.1f ms", game) + bench::format(", bare Qt %.1f ms", bare) +
                           bench::format(" (x %.2f)", game / bare),
                       "within 1.2 x the bare Qt program");
            if (wine) {
                const double gameIn1 = bench::quantile(gameIn, 0.5), bareIn1 = bench::quantile(bareIn, 0.5);
                bench::row("the same, from the Windows process's creation" + on,
                           bench::format("game %.1f ms", gameIn1) + bench::format(", bare Qt %.1f ms", bareIn1) +
                               bench::format(" (x %.2f)", gameIn1 / bareIn1),
                           "within 1.2 x the bare Qt program");
            }
            if (empty || wine)
                continue;
            const double gameRss = bench::quantile(gameMb, 0.5), bareRss = bench::quantile(bareMb, 0.5);
            bench::row("resident memory after start-up" + on,
                       bench::format("game %.1f MB", gameRss) + bench::format(", bare Qt %.1f MB", bareRss) +
                           bench::format(" (+%.1f MB)", gameRss - bareRss),
                       "within 5 MB of the bare Qt program");
        }
    }
    return 0;
}
