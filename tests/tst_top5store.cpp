// The TOP5 store with no window, on folders that are not a private local
// disk. Catches a lock NFS refuses, a table or lock that shuts the other
// players of a shared folder out, a rewrite with nothing new, a score entered
// twice or a clear told as failed after a move that happened, a link saved as
// TOP5.dat, a folder made again never found, and a lock holder guessed wrong.

#include "support/filemodes.h"
#include "support/files.h"
#include "support/workdir.h"
#include "top5/top5messages.h"

#include <QProcess>
#include <QtTest>

#include <grp.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

class TestTop5Store : public WorkdirTest {
    Q_OBJECT

    bool root_ = false;

    // Runs the shell line in the row's folder; PLAYED writes a played table into the name after it.
    bool sh(QString line)
    {
        line.replace("PLAYED", "printf 'Matti,50\\r\\nAino,40\\r\\nLiisa,30\\r\\nPekka,20\\r\\nTeppo,12\\r\\n' >");
        return QProcess::execute("sh", {"-c", "cd " + dir_->path() + "; " + line}) == 0;
    }
    // A /proc/locks where a process holds the lock: another user's, on the same inode of another disk, before
    // the real lines (its pid returned); or one that cannot be seen.
    pid_t fakeLocks(bool other)
    {
        struct stat st;
        ::stat("TOP5.dat.lock", &st);
        pid_t pid = 999999999;
        if (other && (pid = ::fork()) == 0)
            ::_exit(::setuid(65534) == 0 ? ::pause() : 1);
        for (int i = 0; other && i < 200 && QFileInfo("/proc/" + QString::number(pid)).ownerId() != 65534; ++i)
            QTest::qWait(10);
        const QString dev = other ? "00:99" : QString::asprintf("%02x:%02x", major(st.st_dev), minor(st.st_dev));
        write(dir_->file("locks"), "1: FLOCK ADVISORY WRITE " + QByteArray::number(pid) + ' ' + dev.toLatin1() +
                                       ':' + QByteArray::number(quint64(st.st_ino)) + " 0 EOF\n" +
                                       (other ? contents("/proc/locks") : ""));
        qputenv("VIKKELO_SHIM", "locks=" + QFile::encodeName(dir_->file("locks")));
        return other ? pid : 0;
    }

private slots:
    void initTestCase()
    {
        // Root is made a member of one more group, as a player of a shared folder is.
        const gid_t groups[] = {0, 4242};
        root_ = ::geteuid() == 0 && ::setgroups(2, groups) == 0;
    }
    void init() { enterNewFolder(); }
    void cleanup()
    {
        QDir::setCurrent(dir_->path());
        sh("chmod -R u+rwx .");
        qunsetenv("VIKKELO_SHIM");
        leaveFolder();
    }

    // Steps: the store's load, save, clear and a new score (enter), cd into sub, hold the lock, modes that bind
    // root, a shim or umask, a fake /proc/locks; !shell that must succeed, ?text the player reads (? alone:
    // nothing), -text never read.
    void rows_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("after"); // shell that succeeds when the folder is right
        const auto row = [](const char* name, const char* before, const char* steps, const char* after = "true") {
            QTest::newRow(name) << QString(before) << QString(steps) << QString(after);
        };
        row("NFS locks only for a writer", "", "shim=nfs|load|?|enter|save|?", "grep -q Uusi,99 TOP5.dat");
        row("NFS and a lock file only readable", "PLAYED TOP5.dat; touch TOP5.dat.lock; chown 65534 TOP5.dat.lock",
            "shim=nfs|modes|load|enter|save|?levy ei anna lukita tiedostoa TOP5.dat.lock|-luoda|-avata");
        row("a local lock file only readable", "PLAYED TOP5.dat; touch TOP5.dat.lock; chown 65534 TOP5.dat.lock",
            "modes|load|enter|save|?");
        row("no locks", "PLAYED TOP5.dat", "shim=nolock|load|enter|save|?levy ei tue tiedostojen lukitsemista|-luoda");
        row("a lock file nobody else may open", "PLAYED TOP5.dat; touch TOP5.dat.lock; chmod 600 TOP5.dat.lock; "
            "chown 65534 TOP5.dat.lock", "modes|load|enter|save|?on käyttäjän nobody|?estää muita pelaajia");
        row("the first lock with umask 077", "", "umask=077|load|?",
            "test $(stat -c %a TOP5.dat.lock) = 666 && test $(stat -c %a TOP5.dat) = 600");
        row("a shared table keeps its mode and group", "PLAYED TOP5.dat; chown 65534:4242 TOP5.dat; chmod 664 TOP5.dat",
            "load|enter|save|?", "test $(stat -c %a:%g TOP5.dat) = 664:4242");
        row("but no group the player is not in", "PLAYED TOP5.dat; chown 65534:4343 TOP5.dat; chmod 664 TOP5.dat",
            "load|enter|save|?", "test $(stat -c %a:%g TOP5.dat) = 664:0");
        row("nothing new, nothing written", "PLAYED TOP5.dat; ls -i TOP5.dat >inode", "load|hold|save|?",
            "test \"$(ls -i TOP5.dat)\" = \"$(cat inode)\"");
        row("a rename that lies", "PLAYED TOP5.dat", "load|enter|shim=liar|save|?levy ei vahvistanut|shim=|save|?",
            "test $(grep -c Uusi,99 TOP5.dat) = 1");
        row("a clear's rename that lies", "PLAYED TOP5.dat", "load|shim=liar|clear|?Oletustaulukko kirjoitettiin|"
            "-ei tyhjennetty|shim=|enter|save", "! grep -q Matti TOP5.dat");
        row("the folder made again", "mkdir sub; PLAYED sub/TOP5.dat", "cd|load|enter|!rm -r sub; mkdir sub|save|?",
            "grep -q Uusi sub/TOP5.dat");
        row("the folder renamed", "mkdir sub; PLAYED sub/TOP5.dat", "cd|load|enter|!mv sub sub2|save|?",
            "test ! -e sub && grep -q Uusi sub2/TOP5.dat");
        row("a lock held at start-up", "", "hold|load|?Toinen Vikkelo tallensi samaan aikaan|-hetken kuluttua");
        row("another user's lock on the inode of another disk", "PLAYED TOP5.dat",
            "load|hold|locks=other|enter|save|?toinen Vikkelo|-toisen käyttäjän");
        row("a holder hidepid hides", "PLAYED TOP5.dat",
            "load|hold|locks=hidden|enter|save|?jota peli ei näe|-toinen Vikkelo|-hetken kuluttua");
        row("the temporary swapped for a link", "PLAYED TOP5.dat", "load|enter|shim=swap|save|?vaihtoi",
            "test -L TOP5.dat");
        row("a sticky folder with another user's table", "mkdir -m 1777 sub; chown 65534 sub; PLAYED sub/TOP5.dat; "
            "chown 65534 sub/TOP5.dat; chmod 666 sub/TOP5.dat",
            "cd|modes|load|enter|save|?vain omia tiedostojaan|-kirjoitusoikeutta");
        row("a folder written but not read", "mkdir sub; PLAYED sub/TOP5.dat",
            "cd|load|!chmod 300 sub|modes|enter|save|?");
        row("damaged files go to the first free backup name", "printf 'M,5\r\nL,4\r\nP,3\r\nT,2\r\n' >TOP5.dat; "
            "echo old >TOP5.dat.bak", "load|?loppuu ennen kuin kaikki viisi sijaa on luettu (se päättyy riville 4)|"
            "?nimellä TOP5.dat.bak2.|!printf 'a,%05000d\r\n' 1 >TOP5.dat|load|?rivillä 1 on kenttä, joka on liian pitkä|"
            "!echo rikki >TOP5.dat|enter|save|?TOP5.dat.bak4, ja taulukko tallennettiin", "grep -q old TOP5.dat.bak && "
            "grep -q T,2 TOP5.dat.bak2 && test $(wc -c <TOP5.dat.bak3) = 5004 && grep -q rikki TOP5.dat.bak4 && "
            "grep -q Uusi,99 TOP5.dat");
        row("a hundred megabytes set aside", "head -c 100M /dev/zero >TOP5.dat", "load|?TOP5.dat.bak",
            "test $(stat -c %s TOP5.dat.bak) = 104857600 && grep -q 'Tuntematon , 10' TOP5.dat");
        row("a folder not written", "chmod 500 .", "modes|load|?ei voitu tallentaa|?kirjoitusoikeutta",
            "test ! -e TOP5.dat");
        row("a folder not searched", "chmod 600 .", "modes|load|?lukeminen epäonnistui (käyttöoikeus puuttuu)|"
            "-tavallinen");
        row("a damaged file with no backup", "printf 'M,5\r\nL' >TOP5.dat; chmod 500 .",
            "modes|load|?jätettiin ennalleen", "test ! -e TOP5.dat.bak && test \"$(cat TOP5.dat)\" = \"$(printf 'M,5\r\nL')\"");
        row("no backup over a link or an older one, none at all when every name is taken",
            "printf 'x\\n' >TOP5.dat; ln -s elsewhere TOP5.dat.bak; echo older >TOP5.dat.bak2", "load|?TOP5.dat.bak3.|"
            "!for n in 4 5 6 7 8 9; do mkdir TOP5.dat.bak$n; done; printf 'M,5\r\nL' >TOP5.dat|load|?jätettiin ennalleen|"
            "?TOP5.dat.bak9|enter|save|?vioittunut eikä siitä voitu tehdä varmuuskopiota|clear|?ei tyhjennetty",
            "test ! -e elsewhere && grep -q older TOP5.dat.bak2 && grep -q x TOP5.dat.bak3 && test $(wc -c <TOP5.dat) = 6");
        row("a crash's leftover goes, a save going on stays", "PLAYED TOP5.dat; PLAYED TOP5.dat.tmp; PLAYED "
            "TOP5.dat.tmp-1; touch -d '-2 min' TOP5.dat.tmp", "load|?", "test ! -e TOP5.dat.tmp -a -e TOP5.dat.tmp-1");
        // A new table keeps the read and write bits of ours, another user's shared one stays open to all.
        row("a private table", "PLAYED TOP5.dat; chmod 600 TOP5.dat", "load|enter|save", "test $(stat -c %a TOP5.dat) = 600");
        row("set-id, sticky and run bits", "PLAYED TOP5.dat; chmod 6777 TOP5.dat", "load|enter|save",
            "test $(stat -c %a TOP5.dat) = 666");
        row("a group's table", "PLAYED TOP5.dat; chmod 640 TOP5.dat", "load|enter|save", "test $(stat -c %a TOP5.dat) = 640");
        row("another user's table", "PLAYED TOP5.dat; chown 65534 TOP5.dat; chmod 777 TOP5.dat", "load|enter|save",
            "test $(stat -c %a TOP5.dat) = 666");
        row("a read-only table", "PLAYED TOP5.dat; chmod 400 TOP5.dat", "modes|load|enter|save|?kirjoitussuojattu|"
            "?Sulje", "grep -q Teppo TOP5.dat && ! grep -q Uusi TOP5.dat");
    }
    void rows()
    {
        QFETCH(QString, before);
        QFETCH(QString, steps);
        QFETCH(QString, after);
        if (!root_ && (before + steps).contains(QRegularExpression("chown|modes|other")))
            QSKIP("not root: no file of another user can be made, and no mode binds");
        QVERIFY(sh(before));
        const qsizetype fds = QDir("/proc/self/fd").count();
        const mode_t mask = ::umask(022);
        std::optional<Top5Store> store;
        std::optional<FileModesApply> modes;
        std::optional<FileLock> held;
        Top5Table shown = Top5Table::defaults();
        QString said, failed;
        pid_t other = 0;
        for (const QString& step : steps.split(u'|')) {
            if (!store && QStringList{"load", "save", "clear", "enter"}.contains(step))
                store.emplace();
            if (QStringList{"load", "save", "clear"}.contains(step)) {
                const Top5Store::Outcome o = step == "load" ? store->load()
                                             : step == "save" ? store->save(shown) : store->clear();
                said = o.saved() || o.action != Top5Store::Action::Save ? top5messages::text(o)
                                                                       : top5messages::saveQuestion(o);
                if (o.shows != Top5Store::Shows::Nothing || (o.action == Top5Store::Action::Clear && o.saved()))
                    shown = o.table;
            } else if (step == "enter")
                shown.enter("Uusi", 99), store->addNewScore("Uusi", 99);
            else if (step == "cd")
                QDir::setCurrent("sub");
            else if (step == "hold")
                held.emplace(), held->lock(Top5Store::kLockName, 0);
            else if (step == "modes")
                modes.emplace();
            else if (step.startsWith("shim="))
                qputenv("VIKKELO_SHIM", step.mid(5).toLatin1());
            else if (step.startsWith("umask="))
                ::umask(mode_t(step.mid(6).toUInt(nullptr, 8)));
            else if (step.startsWith("locks="))
                other = fakeLocks(step == "locks=other");
            const bool ok = step[0] == u'!'   ? sh(step.mid(1))
                            : step[0] == u'?' ? (step.size() == 1 ? said.isEmpty() : said.contains(step.mid(1)))
                            : step[0] == u'-' ? !said.contains(step.mid(1))
                                              : true;
            if (!ok && failed.isEmpty())
                failed = step + " after: " + said;
        }
        if (other > 0)
            ::kill(other, SIGKILL), ::waitpid(other, nullptr, 0);
        ::umask(mask);
        modes.reset();
        held.reset();
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        QCOMPARE(QDir("/proc/self/fd").count(), fds); // no descriptor left open
        QVERIFY2(sh(after), qPrintable(after));
    }
};

QTEST_GUILESS_MAIN(TestTop5Store)
#include "tst_top5store.moc"
