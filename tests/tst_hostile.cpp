// A working folder that holds anything under the TOP5 names: links, FIFOs,
// sockets and folders are never read, written, moved or followed; backups
// are never replaced; a file that could not be kept is never written over; a
// name the prompt takes always loads back; a removed folder is named; and a
// crashed save's leftover goes at the next start.

#include "app/program.h"
#include "game/vikkelo.h"
#include "support/fakeplatform.h"
#include "support/files.h"
#include "support/programtest.h"
#include "top5/sijoitus.h"
#include "top5/tiedot.h"
#include "top5/top5file.h"
#include "top5/top5messages.h"
#include "top5/top5store.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <cstring>

#ifdef Q_OS_WIN
#include "platform/files.h"
#include <windows.h>
#else
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace {

const QStringList kDefaultScores = {"10", "8", "6", "4", "2"};

QStringList entries()
{
    return QDir().entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                            QDir::Name);
}

#ifdef Q_OS_WIN
// Any reparse point: a symbolic link, a junction.
bool isLink(const char* name)
{
    const DWORD a = GetFileAttributesA(name);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}
// A symbolic link (as a player without administrator rights makes one) or a
// junction at the name. Wine 8.0 makes neither: its CreateSymbolicLinkW
// succeeds without making anything, and its file system takes no junction.
bool makeLink(const char* target, const char* name, bool junction = false)
{
    if (junction)
        QProcess::execute("cmd", {"/c", "mklink", "/J", name, target});
    else
        CreateSymbolicLinkA(name, target, SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    return isLink(name);
}
#else
bool isLink(const char* name)
{
    struct stat st;
    return ::lstat(name, &st) == 0 && S_ISLNK(st.st_mode);
}
#endif

} // namespace

class TestHostile : public ProgramTest {
    Q_OBJECT

private slots:
    void init() { newFolder(); }
    void cleanup() { endAll(); }

    // Catches a save through a link into its target, a start that blocks on
    // a FIFO or creates a dangling link's target, any of these moved to a
    // backup, and a ranking window that then can never be closed.
    void nothingButARegularFileIsReadWrittenOrFollowed()
    {
        const QByteArray target = QByteArray("line of someone else's file\n").repeated(58);
        const struct {
            const char* kind;
            const char* said;
#ifdef Q_OS_WIN
        } cases[] = {{"link", "symbolinen linkki"}, {"dangling", "symbolinen linkki"},
                     {"junction", "symbolinen linkki"}, {"folder", "kansio nimeltä TOP5.dat"}};
        bool linksMade = true;
#else
        } cases[] = {{"link", "symbolinen linkki"}, {"dangling", "symbolinen linkki"},
                     {"fifo", "nimetty putki"},      {"socket", "pistoke"},
                     {"folder", "kansio nimeltä TOP5.dat"}};
#endif
        for (const auto& c : cases) {
            endAll();
            newFolder();
            const QByteArray kind = c.kind;
#ifdef Q_OS_WIN
            if (kind == "link" || kind == "dangling" || kind == "junction") {
                write("target.txt", target);
                QVERIFY(QDir().mkdir("target"));
                if (!makeLink(kind == "link" ? "target.txt" : kind == "junction" ? "target" : "made-by-link.txt",
                              "TOP5.dat", kind == "junction")) {
                    linksMade = false;
                    continue;
                }
            } else
#else
            if (kind == "link") {
                write("target.txt", target);
                QCOMPARE(::symlink("target.txt", "TOP5.dat"), 0);
            } else if (kind == "dangling") {
                QCOMPARE(::symlink("made-by-link.txt", "TOP5.dat"), 0);
            } else if (kind == "fifo") {
                QCOMPARE(::mkfifo("TOP5.dat", 0600), 0);
            } else if (kind == "socket") {
                const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
                sockaddr_un address{};
                address.sun_family = AF_UNIX;
                std::strcpy(address.sun_path, "TOP5.dat");
                QCOMPARE(::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
                ::close(s);
            } else
#endif
            {
                QVERIFY(QDir().mkdir("TOP5.dat"));
                write("TOP5.dat/keep", "x");
            }
            const QStringList before = entries();

            startProgram();
            QCOMPARE(fake_->dialogs.shown.size(), std::size_t(1));
            QVERIFY2(lastMessage().contains(c.said), qPrintable(lastMessage()));
            QCOMPARE(fake_->dialogs.shown[0].title, QStringLiteral("Vikkelo"));
            // A folder named TOP5.dat is neither moved nor emptied (the names and its file are checked at the end).
            QVERIFY(program_->vikkelo().get().isVisible());
            board().findChild<QAction*>("menusijoitus")->trigger();
            QCOMPARE(fake_->dialogs.shown.size(), std::size_t(1));
            QCOMPARE(scores(), kDefaultScores);
            if (kind == "folder") {
                // One message per action: showing the window again says
                // nothing new, and a clear that cannot write the default says
                // so once and changes nothing.
                program_->sijoitus().show();
                QCOMPARE(fake_->dialogs.shown.size(), std::size_t(1));
                table().sijoitus(1).setText("Kept");
                fake_->dialogs.answers = {Dialogs::Ok};
                QTest::mouseClick(table().findChild<QPushButton*>("clear"), Qt::LeftButton);
                QCOMPARE(fake_->dialogs.shown.size(), std::size_t(3));
                QVERIFY2(messages()[2].contains("kansio nimeltä TOP5.dat"), qPrintable(messages()[2]));
                QCOMPARE(table().sijoitus(1).text(), QStringLiteral("Kept"));
            }
            const std::size_t told = fake_->dialogs.shown.size();

            endRound("11", "Uusi");
            pressClose(Dialogs::No);
            QCOMPARE(fake_->dialogs.shown.size(), told + 1);
            QVERIFY2(lastMessage().contains(c.said), qPrintable(lastMessage()));
            QVERIFY(fake_->dialogs.shown.back().buttons == Dialogs::Buttons::YesNoDefaultNo);
            QVERIFY(program_->sijoitus().exists() && table().isVisible());
            pressClose(Dialogs::Yes);
            QVERIFY(!program_->sijoitus().exists());

            QVERIFY2(entries() == before, qPrintable(c.kind + (": " + entries().join(u' '))));
            if (kind == "link")
                QCOMPARE(contents("target.txt"), target);
            if (kind == "link" || kind == "dangling" || kind == "junction")
                QVERIFY(isLink("TOP5.dat"));
            if (kind == "folder")
                QCOMPARE(contents("TOP5.dat/keep"), QByteArray("x"));
        }

        // A hard link is a regular file: its name gets the new table, the
        // other name keeps the old bytes.
        endAll();
        newFolder();
        write("other.dat", kPlayed);
#ifdef Q_OS_WIN
        QVERIFY(CreateHardLinkA("TOP5.dat", "other.dat", nullptr));
#else
        QCOMPARE(::link("other.dat", "TOP5.dat"), 0);
#endif
        startProgram();
        endRound("60", "Anna");
        pressClose();
        QVERIFY(contents("TOP5.dat").startsWith("Anna,60\r\n"));
        QCOMPARE(contents("other.dat"), kPlayed);

        // The lock beside the file is never opened when it is not a file.
        QVERIFY(QFile::remove("TOP5.dat.lock"));
#ifdef Q_OS_WIN
        QVERIFY(QDir().mkdir("TOP5.dat.lock"));
#else
        QCOMPARE(::mkfifo("TOP5.dat.lock", 0600), 0);
#endif
        endRound("61", "Berta");
        pressClose();
        QVERIFY2(lastMessage().contains("TOP5.dat.lock"), qPrintable(lastMessage()));
        QVERIFY(contents("TOP5.dat").startsWith("Anna,60\r\n"));
#ifdef Q_OS_WIN
        QVERIFY(QDir().rmdir("TOP5.dat.lock"));

        // The lock held by another copy (LockFileEx refuses every other
        // handle): the save waits, says so, and writes nothing.
        {
            FileLock other;
            QVERIFY(other.lock("TOP5.dat.lock", 0).locked);
            endRound("70", "Odottaa");
            pressClose();
            QVERIFY2(lastMessage().contains("TOP5.dat.lock pitää") || lastMessage().contains("pitää lukkoa"), qPrintable(lastMessage()));
            QVERIFY(contents("TOP5.dat").startsWith("Anna,60\r\n"));
        }

        // TOP5.dat held open by another program that shares it with nobody:
        // the load and the save say the file is in use, and nothing is lost.
        const QByteArray before = contents("TOP5.dat");
        QProcess held;
        held.start(QStringLiteral(VIKKELO_COPY), {"--hold"});
        QVERIFY(held.waitForReadyRead(60000));
        QCOMPARE(held.readLine().trimmed(), QByteArray("held"));
        endRound("71", "Käytössä");
        pressClose();
        QVERIFY2(lastMessage().contains("toinen ohjelma käyttää tiedostoa"), qPrintable(lastMessage()));
        restart();
        QVERIFY2(lastMessage().contains("toinen ohjelma käyttää tiedostoa"), qPrintable(lastMessage()));
        held.closeWriteChannel();
        QVERIFY(held.waitForFinished(60000));
        QCOMPARE(contents("TOP5.dat"), before);
        QVERIFY(!QFile::exists(Top5Store::kTempName));
        if (!linksMade)
            QSKIP("Wine makes no symbolic link and no junction: only the folder, the lock and a file in use were tried");
#else

        // A lock another user's process holds is named as such (as root, a
        // child holds it after dropping to the user nobody).
        QVERIFY(QFile::remove("TOP5.dat.lock"));
        write("TOP5.dat.lock", "");
        const int held = ::open("TOP5.dat.lock", O_RDONLY | O_CLOEXEC);
        const pid_t child = ::fork();
        if (child == 0) {
            if (::setuid(65534) == 0 && ::flock(held, LOCK_EX) == 0)
                ::pause();
            ::_exit(1);
        }
        const auto lockedByChild = [] {
            const int probe = ::open("TOP5.dat.lock", O_RDONLY | O_CLOEXEC);
            const bool busy = ::flock(probe, LOCK_EX | LOCK_NB) != 0;
            ::close(probe);
            return busy;
        };
        for (int i = 0; i < 200 && !lockedByChild(); ++i)
            QTest::qWait(10);
        pressClose();
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ::close(held);
        if (::getuid() == 0)
            QVERIFY2(lastMessage().contains("toisen käyttäjän ohjelma pitää lukkoa"), qPrintable(lastMessage()));
#endif
    }

    // Catches a damaged file that could not be kept written over by the
    // save or the clear of a window that keeps its new entry (what stands at
    // the names and what is said: the store's table).
    void anUnkeptFileIsNeverWrittenOver()
    {
        const QByteArray fourLines = "Matti,50\r\nLiisa,40\r\nPekka,30\r\nTeppo,20\r\n";
        write("TOP5.dat", fourLines);
        for (const QString& name : Top5Store::backupNames())
            QVERIFY(QDir().mkdir(name));
        startProgram();
        QCOMPARE(fake_->dialogs.shown.size(), std::size_t(1));
        endRound("99", "Uusi");
        QCOMPARE(names()[0], QStringLiteral("Uusi"));
        QCOMPARE(scores()[1], QStringLiteral("10"));
        pressClose();
        QVERIFY(table().isVisible());
        fake_->dialogs.answers = {Dialogs::Ok};
        QTest::mouseClick(table().findChild<QPushButton*>("clear"), Qt::LeftButton);
        QCOMPARE(names()[0], QStringLiteral("Uusi"));
        QCOMPARE(contents("TOP5.dat"), fourLines);
    }

    // Catches a name the prompt accepts that the file cannot hold, which
    // made the next start set the whole table aside.
    void aNameThePromptAcceptsAlwaysLoadsBack()
    {
        startProgram();
        // Seventeen letters; the accents make its UTF-8 exactly 4096 bytes,
        // the most a field may take, and with one more byte too long.
        const QString accents = QString(2038, QChar(0x0301));
        const QString fits = QString(15, u'b') + u'a' + accents + QStringLiteral("c\u20DD");
        const QString tooLong = QStringLiteral("ä") + QString(14, u'b') + u'a' + accents + QStringLiteral("c\u20DD");
        QCOMPARE(fits.toUtf8().size(), 4096);
        QCOMPARE(tooLong.toUtf8().size(), 4097);

        board().pisteet().setText("70");
        fake_->dialogs.typed = {tooLong, fits};
        program_->tiedot().endOfGame();
        QCOMPARE(fake_->dialogs.shown.size(), std::size_t(3));
        QCOMPARE(fake_->dialogs.shown[1].text,
                 QStringLiteral("Nimimerkkisi tai nimesi on liian pitkä tallennettavaksi: siinä on liikaa "
                                "tarkkeita tai erikoismerkkejä!"));
        QCOMPARE(fake_->dialogs.shown[2].defaultText, tooLong);
        QCOMPARE(names()[0], fits);
        pressClose();
        QVERIFY(!program_->sijoitus().exists());

        restart();
        QVERIFY(fake_->dialogs.shown.empty());
        QCOMPARE(names()[0], fits);
    }

    // Catches a message with an empty folder name once the folder is gone,
    // and a ranking window that can then never be closed.
    void aRemovedFolderIsNamedAndTheWindowStillCloses()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows does not let the folder a program works in be removed");
#endif
        startProgram();
        program_->sijoitus().show();
        table().sijoitus(5).setText("Uusi");
        QVERIFY(QFile::remove("TOP5.dat") && QFile::remove("TOP5.dat.lock"));
        QVERIFY(QDir().rmdir(dir_->path()));
        pressClose(Dialogs::No);
        QCOMPARE(fake_->dialogs.shown.size(), std::size_t(1));
        QVERIFY2(lastMessage().contains(QDir::toNativeSeparators(dir_->path()) + ", josta peli käynnistettiin, on "
                                                                                 "poistettu"),
                 qPrintable(lastMessage()));
        QVERIFY(table().isVisible());
        pressClose(Dialogs::Yes);
        QVERIFY(!program_->sijoitus().exists());
    }
};

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
