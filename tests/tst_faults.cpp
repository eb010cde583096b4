// A full disk: TOP5.dat cannot be written for want of space, at start-up, at
// "Sulje", at "Tyhjennä TOP5" and with a damaged file to set aside. Each must
// tell the player why in Finnish, leave the game playable and lose nothing.
//
// The disk is a small tmpfs, mounted in a mount namespace of this process's
// own, so nothing outside the test sees it. That needs root (as in CI); where
// it cannot be had the tests are skipped. On Windows a test cannot mount: the
// run names a small disk in VIKKELO_SMALL_DISK (under Wine, the test command
// mounts one and gives its Z: path), and a folder of the tests' own on it is
// the working folder.

#include "app/program.h"
#include "game/vikkelo.h"
#include "support/fakeplatform.h"
#include "support/files.h"
#include "support/programtest.h"
#include "top5/sijoitus.h"
#include "top5/tiedot.h"
#include "top5/top5file.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#ifndef Q_OS_WIN
#include <sched.h>
#include <sys/mount.h>
#endif

namespace {

#ifndef Q_OS_WIN
// Whether this process has a mount namespace of its own to mount in.
bool privateMounts = false;
#endif

const QString kDiskFull = QStringLiteral("levylle ei voitu kirjoittaa (levy voi olla täynnä)");

} // namespace

class TestFaults : public ProgramTest {
    Q_OBJECT

private:
    QString disk_;

    // Makes the working folder a fresh 64 KiB filesystem.
    void mountSmallDisk()
    {
#ifdef Q_OS_WIN
        const QString given = qEnvironmentVariable("VIKKELO_SMALL_DISK");
        if (given.isEmpty())
            QSKIP("VIKKELO_SMALL_DISK names no small disk to fill (the test command gives one, as root, under Wine)");
        disk_ = QDir(given).filePath("tst_faults");
        QVERIFY(QDir(disk_).removeRecursively() && QDir().mkpath(disk_));
        QVERIFY(QDir::setCurrent(disk_));
#else
        if (!privateMounts)
            QSKIP("no mount namespace of our own here (not root?): no small disk to fill");
        disk_ = dir_->file("disk");
        QVERIFY(QDir().mkpath(disk_));
        if (::mount("tmpfs", QFile::encodeName(disk_).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                    "size=64k,mode=0700") != 0) {
            disk_.clear();
            QSKIP("a tmpfs cannot be mounted here: no small disk to fill");
        }
        QVERIFY(QDir::setCurrent(disk_));
#endif
    }
    // Takes up every byte left with a file, which freeDisk() removes again.
    void fillDisk()
    {
        QFile filler("filler");
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) {
        }
        filler.close();
        QVERIFY(QFileInfo("filler").size() > 0);
        QFile probe("probe");
        QVERIFY(probe.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        QVERIFY2(probe.write(block) <= 0, "the disk is not full");
        probe.close();
        QFile::remove("probe");
    }
    void freeDisk() { QVERIFY(QFile::remove("filler")); }

    // A round can still be started and lights its first lamp.
    void checkPlayable()
    {
        QTest::mouseClick(board().findChild<QPushButton*>("uusipeli"), Qt::LeftButton);
        QMetaObject::invokeMethod(&board().Timer1(), "timeout");
        QCOMPARE(board().round().jono().size(), std::size_t(1));
        QTest::mouseClick(board().findChild<QPushButton*>("uusipeli"), Qt::LeftButton);
    }

private slots:
    void init() { newFolder(); }

    void cleanup()
    {
        // The program goes first: the disk cannot go while it has files open on it.
        program_.reset();
        flushUnloads();
        QDir::setCurrent(dir_->path());
#ifdef Q_OS_WIN
        if (!disk_.isEmpty())
            QDir(disk_).removeRecursively();
#else
        if (!disk_.isEmpty())
            ::umount2(QFile::encodeName(disk_).constData(), MNT_DETACH);
#endif
        disk_.clear();
        endAll();
    }

    // Catches a start on a full disk that crashes, says nothing, leaves a
    // partial TOP5.dat behind, or keeps the game from being played.
    void aFullDiskAtStartUpIsReportedAndTheGamePlays()
    {
        mountSmallDisk();
        fillDisk();
        startProgram();
        QCOMPARE(fake_->dialogs.shown.size(), std::size_t(1));
        QVERIFY2(lastMessage().contains(kDiskFull), qPrintable(lastMessage()));
        QVERIFY(lastMessage().contains("Peliä voi pelata"));
        QVERIFY(!QFile::exists(Top5Store::kFileName));
        checkPlayable();

        // Once there is room again the table can be saved.
        freeDisk();
        program_->sijoitus().show();
        pressClose();
        QCOMPARE(contents(Top5Store::kFileName),
                 top5file::tableFile({"Tuntematon", "Tuntematon", "Tuntematon", "Tuntematon", "Tuntematon"},
                                     {"0", "0", "0", "0", "0"}));
    }

    // Catches a save on a full disk reported as success, a window closed (and
    // its new entry lost) on a failed save, or an old file harmed by it; and
    // a clear that empties the table although the default could not be written.
    void aFullDiskAtCloseOrClearKeepsBothTheOldFileAndTheNewTable()
    {
        mountSmallDisk();
        write(Top5Store::kFileName, kPlayed);
        startProgram();
        program_->sijoitus().show();
        table().sijoitus(5).setText(QStringLiteral("Uusi ennätys"));
        fillDisk();

        pressClose();
        QCOMPARE(fake_->dialogs.shown.size(), std::size_t(1));
        QVERIFY2(lastMessage().contains(kDiskFull), qPrintable(lastMessage()));
        QVERIFY(lastMessage().contains("\"Sulje\""));
        QVERIFY(program_->sijoitus().exists() && table().isVisible());
        QCOMPARE(names()[4], QStringLiteral("Uusi ennätys"));
        QCOMPARE(contents(Top5Store::kFileName), kPlayed);
        QCOMPARE(QDir().entryList(QDir::Files, QDir::Name), QStringList({Top5Store::kFileName, Top5Store::kLockName, "filler"}));

        fake_->dialogs.answers = {Dialogs::Ok};
        QTest::mouseClick(table().findChild<QPushButton*>("clear"), Qt::LeftButton);
        QVERIFY2(lastMessage().contains(kDiskFull), qPrintable(lastMessage()));
        QCOMPARE(contents(Top5Store::kFileName), kPlayed);
        QCOMPARE(names()[0], QStringLiteral("Matti"));
        checkPlayable();

        freeDisk();
        table().sijoitus(5).setText(QStringLiteral("Uusi ennätys"));
        pressClose();
        QVERIFY(contents(Top5Store::kFileName).endsWith(QStringLiteral("Uusi ennätys,12\r\n").toLatin1()));
        QVERIFY(!program_->sijoitus().exists());
    }

    // Catches a damaged file lost when the default table cannot be written
    // in its place.
    void aDamagedFileOnAFullDiskIsKeptAsBackup()
    {
        mountSmallDisk();
        const QByteArray damaged = "Matti,50\r\nLiisa,40\r\nPekka,30\r\n";
        write(Top5Store::kFileName, damaged);
        fillDisk();
        startProgram();
        QCOMPARE(contents(Top5Store::kBackupName), damaged);
#ifdef Q_OS_WIN
        // Kept by a hard link: it stays at its name until a table replaces it.
        QCOMPARE(contents(Top5Store::kFileName), damaged);
#else
        QVERIFY(!QFile::exists(Top5Store::kFileName));
#endif
        QVERIFY(!fake_->dialogs.shown.empty());
        QVERIFY2(lastMessage().contains(kDiskFull), qPrintable(lastMessage()));
        checkPlayable();
    }
};

int main(int argc, char* argv[])
{
    // A mount namespace must be entered while the process has one thread,
    // before Qt starts any. Mounts made in it stay private to this process.
#ifndef Q_OS_WIN
    privateMounts = ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
#endif
    QApplication app(argc, argv);
    TestFaults test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_faults.moc"
