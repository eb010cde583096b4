// Copies of the game as separate processes in one folder (the helper
// top5_copy): neither loses the other's high scores, a deliberate clear stays
// a clear, and a table whose reads fail is not taken for a damaged one.

#include "support/fakeplatform.h"
#include "support/workdir.h"
#include "support/files.h"
#include "top5/tiedot.h"
#include "top5/top5file.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

namespace {

// One running copy, driven a command at a time.
class Copy {
public:
    explicit Copy(const QString& folder, const QStringList& wrapper = {})
    {
        QStringList args = wrapper;
        args << QStringLiteral(VIKKELO_COPY);
        process_.setWorkingDirectory(folder);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(args.takeFirst(), args);
        started_ = process_.waitForStarted();
        readUntilDone();
    }
    ~Copy()
    {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(10000))
            process_.kill();
    }

    bool started() const { return started_; }
    // The messages shown since the last command (or since the start).
    QStringList messages() const { return messages_; }

    QStringList send(const QByteArray& command)
    {
        process_.write(command + '\n');
        readUntilDone();
        return messages_;
    }

private:
    void readUntilDone()
    {
        messages_.clear();
        for (;;) {
            while (!process_.canReadLine()) {
                if (!process_.waitForReadyRead(30000)) {
                    messages_ << QStringLiteral("<no answer from the copy>");
                    return;
                }
            }
            const QString line = QString::fromUtf8(process_.readLine()).trimmed();
            if (line == QStringLiteral("done"))
                return;
            messages_ << line.mid(line.indexOf(u' ') + 1);
        }
    }

    QProcess process_;
    bool started_ = false;
    QStringList messages_;
};

} // namespace

class TestCopies : public WorkdirTest {
    Q_OBJECT

private slots:
    void init() { enterNewFolder(); }
    void cleanup() { leaveFolder(); }

    // Catches a save that writes over another copy's new score with the
    // table this copy loaded at its start, and a clear undone by the other
    // copy's next save.
    void twoCopiesKeepEachOthersScores()
    {
        write(Top5Store::kFileName, kPlayed);
        Copy anna(dir_->path());
        Copy bert(dir_->path());
        QVERIFY(anna.started() && bert.started());
        QCOMPARE(anna.messages(), QStringList());

        QCOMPARE(anna.send("enter 60 Anna"), QStringList());
        QCOMPARE(bert.send("enter 55 Bert"), QStringList());
        QCOMPARE(anna.send("save"), QStringList());
        QCOMPARE(bert.send("save"), QStringList());
        QCOMPARE(contents(Top5Store::kFileName),
                 top5file::tableFile({"Anna", "Bert", "Matti", QStringLiteral("Äijä"), "Liisa"},
                                     {"60", "55", "50", "40", "30"}));

        // Anna's next score is not saved yet when Bert clears the table: the
        // clear stands, Anna's new score goes into it, the old ones stay gone.
        anna.send("enter 45 Cilla");
        QCOMPARE(bert.send("clear"), QStringList({QStringLiteral("Haluatko varmasti tyhjentää TOP5:n?")}));
        QCOMPARE(contents(Top5Store::kFileName), top5file::defaultFile());
        QCOMPARE(anna.send("save"), QStringList());
        QCOMPARE(contents(Top5Store::kFileName),
                 top5file::tableFile({"Cilla", "Tuntematon", "Tuntematon", "Tuntematon", "Tuntematon"},
                                     {"45", "10", "8", "6", "4"}));
        // The lock stays: it is never removed by name.
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden | QDir::System),
                 QStringList({Top5Store::kFileName, Top5Store::kLockName}));
    }

    // Catches a good table on a disk whose reads fail moved aside and
    // replaced by the default, or written over by the next save; and a
    // clear undone by a copy whose save failed after taking in the table
    // the clear then replaced.
    void errorsInjectedIntoACopyLoseNothing()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows has no strace: no read error can be injected into a copy");
#endif
        const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
        if (strace.isEmpty())
            QSKIP("strace is not installed: no read error can be injected (the test command installs it)");
        if (QProcess::execute(strace, {"-o", "/dev/null", "true"}) != 0)
            QSKIP("strace cannot trace here (ptrace not allowed): no read error can be injected");

        write(Top5Store::kFileName, kPlayed);
        Copy copy(dir_->path(), {strace, "-f", "-qq", "-o", "/dev/null", "-P", Top5Store::kFileName,
                                 "-e", "trace=read", "-e", "inject=read:error=EIO"});
        QVERIFY(copy.started());
        QCOMPARE(copy.messages().size(), 1);
        QVERIFY2(copy.messages()[0].contains("tiedoston lukeminen epäonnistui") &&
                     copy.messages()[0].contains("eikä peli kirjoita sen päälle"),
                 qPrintable(copy.messages()[0]));

        // Told once; a high score still goes into the table on screen...
        QCOMPARE(copy.send("enter 99 Eero"), QStringList());
        // ...but the save refuses, and the clear too.
        QStringList said = copy.send("save");
        QCOMPARE(said.size(), 1);
        QVERIFY2(said[0].contains("ei voitu lukea, joten peli ei kirjoita sen päälle"), qPrintable(said[0]));
        said = copy.send("clear");
        QCOMPARE(said.size(), 2);
        QCOMPARE(contents(Top5Store::kFileName), kPlayed);
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList({Top5Store::kFileName}));

        // A save that took in another copy's table and then met a full disk
        // has seen that table: the other copy's clear afterwards stays a clear.
        write(Top5Store::kFileName, top5file::defaultFile());
        Copy anna(dir_->path(), {strace, "-f", "-qq", "-o", "/dev/null", "-e", "trace=fsync", "-e",
                                 "inject=fsync:error=ENOSPC:when=1"});
        Copy bea(dir_->path());
        bea.send("enter 50 Bea");
        bea.send("save");
        anna.send("enter 45 Aki");
        QCOMPARE(anna.send("save").size(), 1);
        bea.send("clear");
        QCOMPARE(anna.send("save"), QStringList());
        QCOMPARE(contents(Top5Store::kFileName),
                 top5file::tableFile({"Aki", "Tuntematon", "Tuntematon", "Tuntematon", "Tuntematon"},
                                     {"45", "10", "8", "6", "4"}));
    }
};

QTEST_GUILESS_MAIN(TestCopies)
#include "tst_copies.moc"
