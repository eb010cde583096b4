// A save cut short by a crash: a child that saves the table over and over is
// killed with SIGKILL at random moments, and TOP5.dat must then hold one whole
// table, the one before or the one after, never a part or a mix.

#include "app/program.h"
#include "support/fakeplatform.h"
#include "support/workdir.h"
#include "support/files.h"
#include "support/savetables.h"
#include "top5/sijoitus.h"
#include "top5/tiedot.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <QtTest>

#ifndef Q_OS_WIN
#include <signal.h>
#endif

namespace {

} // namespace

class TestCrashSave : public WorkdirTest {
    Q_OBJECT

private slots:
    void init() { enterNewFolder(); }
    void cleanup() { leaveFolder(); }

    // Catches a save that writes TOP5.dat in place (truncated or half-old
    // after a crash), and a load that cannot read what a crash leaves.
    void aSaverKilledAtRandomLeavesAWholeTable()
    {
        const QByteArray fileA = savetables::fileA();
        const QByteArray fileB = savetables::fileB();
        QVERIFY(fileA.size() != fileB.size());
        const quint64 seed = QRandomGenerator::system()->generate64();
        QRandomGenerator rng(seed);
        constexpr int kKills = 220;
        int sawA = 0, sawB = 0;

        for (int kill = 0; kill < kKills; ++kill) {
            QProcess child;
            child.setProgram(QStringLiteral(VIKKELO_SAVELOOP));
            child.setWorkingDirectory(dir_->path());
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            child.start();
            QVERIFY(child.waitForStarted());
            // Only once the first save is through do the kills fall among saves.
            while (!child.canReadLine())
                QVERIFY2(child.waitForReadyRead(60000), "the saver never finished its first save");
            QThread::usleep(rng.bounded(0u, 15000u));
#ifdef Q_OS_WIN
            child.kill(); // TerminateProcess, as sudden as SIGKILL
#else
            QCOMPARE(::kill(pid_t(child.processId()), SIGKILL), 0);
#endif
            QVERIFY(child.waitForFinished());
            QVERIFY2(child.exitStatus() == QProcess::CrashExit, "the saver stopped before it was killed");

            const QByteArray bytes = contents(Top5Store::kFileName);
            const QByteArray context = QStringLiteral("kill %1 (seed %2): %3")
                                           .arg(kill).arg(seed).arg(QString::fromLatin1(bytes.toHex()))
                                           .toLatin1();
            QVERIFY2(bytes == fileA || bytes == fileB, context.constData());
            (bytes == fileA ? sawA : sawB)++;

            // Now and then the real load, as the next start of the game would.
            if (kill % 20 == 0) {
                FakePlatform fake;
                Program program(fake.platform);
                Sijoitus& table = program.sijoitus().get();
                const auto& names = bytes == fileA ? savetables::kNamesA : savetables::kNamesB;
                for (int k = 1; k <= Top5Table::kPlaces; ++k)
                    QVERIFY2(table.sijoitus(k).text() == names[k - 1], context.constData());
                QVERIFY(fake.dialogs.shown.empty());
                QVERIFY(!QFile::exists(Top5Store::kBackupName));
            }
        }
        const QStringList left = QDir().entryList(QDir::Files | QDir::Hidden);
        qInfo("%d kills survived: %d left the first table, %d the second; files left: %s", kKills, sawA, sawB,
              qPrintable(left.join(u' ')));
        // Kills that always land at the same point of the loop would prove little.
        QVERIFY(sawA > 0 && sawB > 0);
        // A new file is written unnamed: at most the lock and, from a kill in
        // the instant between naming and moving it, the one temporary are left.
        for (const QString& name : left)
            QVERIFY2(name == Top5Store::kFileName || name == Top5Store::kLockName ||
                         name.startsWith(Top5Store::kTempName + u'-'),
                     qPrintable(name));
    }
};

QTEST_MAIN(TestCrashSave)
#include "tst_crashsave.moc"
