// The TOP5 store with no window, on folders that are not a private local
// disk: NFS-like locks, a rename that lies, a temporary swapped, folder modes
// and umasks, the folder gone and back, lock holders. Each row is a script of
// steps and checks (see run()); the shims linked in make the disk misbehave.
// Catches a lock that NFS refuses, a table or lock that shuts other players
// out, a rewrite with nothing new, a score entered twice or a clear told as
// failed after a move that happened, a link saved as TOP5.dat, a retry that
// never finds the folder back, and a lock holder guessed wrong.

#include "support/filemodes.h"
#include "support/files.h"
#include "support/workdir.h"
#include "top5/top5file.h"
#include "top5/top5messages.h"
#include "top5/top5store.h"

#include <QProcess>
#include <QtTest>

#include <grp.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <map>

namespace {


// A group this process is made a member of (as root), and one it is not in.
constexpr gid_t kOurGroup = 4242;

// Shell steps, run in the row's own folder; a check among them fails the row by its exit status.
const std::map<QString, QString> kShell{
    {"others0664", "chown 65534:4242 TOP5.dat && chmod 0664 TOP5.dat"},
    {"others0664.strange", "chown 65534:4343 TOP5.dat && chmod 0664 TOP5.dat"},
    {"others0666", "chmod 0777 . && chown 65534 TOP5.dat && chmod 0666 TOP5.dat"},
    {"lock.others0600", "touch TOP5.dat.lock && chown 65534 TOP5.dat.lock && chmod 0600 TOP5.dat.lock"},
    {"lock.others0644", "touch TOP5.dat.lock && chown 65534 TOP5.dat.lock && chmod 0644 TOP5.dat.lock"},
    {"sub", "mkdir sub"}, {"sub.regrow", "rm -rf sub && mkdir sub"}, {"sub.gone", "rm -rf sub"},
    {"sub.rename", "mv sub sub2"}, {"sub2.saved", "test ! -e sub && grep -q Uusi sub2/TOP5.dat"},
    {"sub.saved", "grep -q Uusi sub/TOP5.dat"},
    {"sticky", "mkdir -m 1777 sub && chown 65534 sub && printf 'A,1\\r\\nB,1\\r\\nC,1\\r\\nD,1\\r\\nE,1\\r\\n' >sub/TOP5.dat"
               " && chown 65534 sub/TOP5.dat && chmod 0666 sub/TOP5.dat"},
    {"sub.0300", "chmod 0300 sub"},
    {"tmplink", "ln -s elsewhere.txt TOP5.dat.tmp"}, {"tmplink.kept", "test -L TOP5.dat.tmp && test ! -e elsewhere.txt"},
    {"link", "test -L TOP5.dat && test ! -e swapped-in.txt"}};

struct Row {
    std::optional<Top5Store> store;
    Top5Table shown = Top5Table::defaults();
    Top5Store::Outcome last;
    std::optional<FileModesApply> modes;
    std::optional<FileLock> held;
    ino_t marked = 0;
    pid_t other = 0; // a process of another user, for the locks file
    ~Row()
    {
        if (other > 0)
            ::kill(other, SIGKILL), ::waitpid(other, nullptr, 0);
        qunsetenv("VIKKELO_SHIM");
    }
};

// What the player reads for the last outcome: the question, for a save that failed.
QString said(const Top5Store::Outcome& o)
{
    return o.saved() || o.action != Top5Store::Action::Save ? top5messages::text(o) : top5messages::saveQuestion(o);
}

struct stat statOf(const char* name)
{
    struct stat st {};
    ::lstat(name, &st);
    return st;
}

// A /proc/locks where the lock is held by `pid` on `file` ("dev:ino"), before the real lines (none when hidden).
void fakeLocks(const QByteArray& file, pid_t pid, bool withReal)
{
    QByteArray lines = "1: FLOCK  ADVISORY  WRITE " + QByteArray::number(pid) + ' ' + file + " 0 EOF\n";
    if (withReal)
        lines += contents("/proc/locks");
    write("../locks", lines);
    qputenv("VIKKELO_SHIM", "locks=" + QFile::encodeName(QFileInfo("../locks").absoluteFilePath()));
}

} // namespace

class TestTop5Store : public WorkdirTest {
    Q_OBJECT

    bool root_ = false;

    // One step or check; false with `why` set when a check fails.
    bool run(Row& r, const QString& step, QString& why)
    {
        const QString arg = step.section(u'=', 1);
        const auto store = [&]() -> Top5Store& {
            if (!r.store)
                r.store.emplace();
            return *r.store;
        };
        const auto after = [&](const Top5Store::Outcome& o) {
            r.last = o;
            if (o.shows != Top5Store::Shows::Nothing || (o.action == Top5Store::Action::Clear && o.saved()))
                r.shown = o.table;
        };
        if (step == "played")
            write(Top5Store::kFileName, kPlayed);
        else if (step == "load")
            after(store().load());
        else if (step == "save")
            after(store().save(r.shown));
        else if (step == "clear")
            after(store().clear());
        else if (step.startsWith("enter=")) {
            r.shown.enter(arg.section(u':', 0, 0), arg.section(u':', 1).toDouble());
            store().addNewScore(arg.section(u':', 0, 0), arg.section(u':', 1).toDouble());
        } else if (step.startsWith("shim="))
            qputenv("VIKKELO_SHIM", arg.toLatin1());
        else if (step.startsWith("umask="))
            ::umask(mode_t(arg.toUInt(nullptr, 8)));
        else if (step == "modes")
            r.modes.emplace();
        else if (step.startsWith("cd="))
            QDir::setCurrent(dir_->file(arg));
        else if (step == "hold")
            r.held.emplace(), r.held->lock(Top5Store::kLockName, 0);
        else if (step == "mark")
            r.marked = statOf("TOP5.dat").st_ino;
        else if (step.startsWith("locks=")) {
            const struct stat lock = statOf("TOP5.dat.lock");
            const QByteArray file = QString::asprintf("%02x:%02x:%lu", major(lock.st_dev), minor(lock.st_dev),
                                                      (unsigned long)lock.st_ino).toLatin1();
            if (arg == "hidden") {
                fakeLocks(file, 999999999, false);
            } else if ((r.other = ::fork()) == 0) { // another user's process, on another disk's same inode
                if (::setuid(65534) == 0)
                    ::pause();
                ::_exit(0);
            } else {
                const QByteArray proc = "/proc/" + QByteArray::number(r.other);
                for (int i = 0; i < 200 && statOf(proc.constData()).st_uid != 65534; ++i)
                    QTest::qWait(10);
                fakeLocks("00:99:" + QByteArray::number(quint64(lock.st_ino)), r.other, true);
            }
        } else if (kShell.count(step)) {
            QProcess sh;
            sh.setWorkingDirectory(dir_->path());
            sh.start("sh", {"-c", kShell.at(step)});
            if (!sh.waitForFinished() || sh.exitCode() != 0)
                return why = step + " failed", false;
        }
        // The checks.
        else if (step == "ok" || step == "failed") {
            if (r.last.saved() != (step == "ok"))
                return why = "the store answered otherwise: " + said(r.last), false;
        } else if (step.startsWith("says=") || step.startsWith("never=")) {
            const QString text = QString(arg).replace(u'_', u' ');
            if (said(r.last).contains(text) != step.startsWith("says="))
                return why = step + " in: " + said(r.last), false;
        } else if (step == "silent") {
            if (!said(r.last).isEmpty())
                return why = "told: " + said(r.last), false;
        } else if (step.startsWith("count=")) {
            const qsizetype n = contents("TOP5.dat").count(arg.section(u':', 0, 0).toLatin1() + "\r\n");
            if (n != arg.section(u':', 1).toInt())
                return why = step + " but the file holds " + QString::fromLatin1(contents("TOP5.dat")), false;
        } else if (step == "default") {
            if (contents("TOP5.dat") != top5file::defaultFile())
                return why = "not the default file: " + QString::fromLatin1(contents("TOP5.dat")), false;
        } else if (step.startsWith("mode=") || step.startsWith("lockmode=")) {
            const struct stat st = statOf(step.startsWith("mode") ? "TOP5.dat" : "TOP5.dat.lock");
            if ((st.st_mode & 07777) != arg.toUInt(nullptr, 8))
                return why = step + ", not " + QString::number(st.st_mode & 07777, 8), false;
        } else if (step.startsWith("group=")) {
            if (statOf("TOP5.dat").st_gid != arg.toUInt())
                return why = step + ", not " + QString::number(statOf("TOP5.dat").st_gid), false;
        } else if (step == "same") {
            if (statOf("TOP5.dat").st_ino != r.marked)
                return why = "TOP5.dat was written again", false;
        } else {
            return why = "no such step: " + step, false;
        }
        return true;
    }

private slots:
    void initTestCase()
    {
        // Root is made a member of one more group, as a player of a shared folder is.
        const gid_t groups[] = {0, kOurGroup};
        root_ = ::geteuid() == 0 && ::setgroups(2, groups) == 0;
    }
    void init() { enterNewFolder(); }
    void cleanup()
    {
        QDir::setCurrent(dir_->path());
        QProcess::execute("chmod", {"-R", "u+rwx", dir_->path()});
        leaveFolder();
    }

    void rows_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("asRoot"); // needs root: other users' files, modes that bind root
        const auto row = [](const char* name, const char* script, bool asRoot = false) {
            QTest::newRow(name) << QString(script) << asRoot;
        };
        row("NFS: the lock needs a descriptor open for writing",
            "shim=nfs load ok default enter=Uusi:60 save ok count=Uusi,60:1");
        row("NFS: another user's lock file, readable only", "shim=nfs played lock.others0644 modes load enter=Uusi:60 "
            "save failed says=levy_ei_anna_lukita never=luoda never=avata", true);
        row("local disk: another user's lock file, readable only",
            "played lock.others0644 modes load enter=Uusi:60 save ok count=Uusi,60:1", true);
        row("a disk with no locks", "shim=nolock played load enter=Uusi:60 save failed "
            "says=levy_ei_tue_tiedostojen_lukitsemista never=luoda never=avata");
        row("a lock file nobody else may open", "played lock.others0600 modes load enter=Uusi:60 save failed "
            "says=käyttäjän_nobody says=estää_muita_pelaajia_tallentamasta", true);
        row("the first lock with umask 077 serves everyone", "umask=077 load ok lockmode=666");
        row("a new table with umask 027", "umask=027 load ok mode=640");
        row("a shared table keeps its mode and group", "played others0664 umask=022 load enter=Uusi:60 save ok "
            "mode=664 group=4242", true);
        row("a group the player is not in is not taken", "played others0664.strange umask=022 load enter=Uusi:60 "
            "save ok mode=664 group=0", true);
        row("another user's 0666 table", "played others0666 umask=022 load enter=Uusi:60 save ok mode=666", true);
        row("nothing new, nothing written", "played load mark save ok same");
        row("nothing new after a held lock", "played load mark hold save ok same");
        row("a rename that lies, then Sulje again", "played load enter=Uusi:55 shim=liar save ok "
            "says=levy_ei_vahvistanut shim= save ok count=Uusi,55:1");
        row("a clear whose rename lies", "played load shim=liar clear ok default says=Oletustaulukko_kirjoitettiin "
            "shim= enter=Uusi:7 save count=Matti,50:0 count=Uusi,7:1");
        row("the folder made again where it was", "sub cd=sub played load enter=Uusi:70 sub.regrow save ok sub.saved");
        row("the folder renamed", "sub cd=sub played load enter=Uusi:70 sub.rename save ok sub2.saved");
        row("the folder removed", "sub cd=sub played load enter=Uusi:70 sub.gone save failed says=on_poistettu");
        row("a held lock at start-up", "hold load failed "
            "says=Toinen_Vikkelo_tallensi_samaan_aikaan never=hetken_kuluttua");
        row("another user's lock on the same inode of another disk", "played load hold locks=other enter=Uusi:99 save "
            "failed says=toinen_Vikkelo never=toisen_käyttäjän", true);
        row("a holder hidden by hidepid", "played load hold locks=hidden enter=Uusi:99 save failed "
            "never=toinen_Vikkelo never=hetken_kuluttua");
        row("the temporary swapped for a link", "played load enter=Uusi:99 shim=swap save failed says=vaihtoi link");
        row("a link at the old temporary name", "tmplink played load enter=Uusi:99 save ok tmplink.kept");
        row("a sticky folder with another user's table", "sticky cd=sub modes load enter=Uusi:99 save failed "
            "says=vain_omia_tiedostojaan never=kirjoitusoikeutta", true);
        row("a folder that can be written but not read", "sub cd=sub played load sub.0300 modes enter=Uusi:99 save ok "
            "silent", true);
    }
    void rows()
    {
        QFETCH(QString, script);
        QFETCH(bool, asRoot);
        if (asRoot && !root_)
            QSKIP("not root: no file of another user can be made");
        const mode_t mask = ::umask(022);
        QString why;
        {
            Row r;
            for (const QString& step : script.split(u' '))
                if (!run(r, step, why))
                    break;
        }
        ::umask(mask);
        QVERIFY2(why.isEmpty(), qPrintable(why));
    }
};

QTEST_GUILESS_MAIN(TestTop5Store)
#include "tst_top5store.moc"
