// Several copies of the game (the helper top5_copy) share one folder and go
// through random seeded steps, and through scripted ones, while links, FIFOs
// and folders come and go at the file's and the lock's names. After every
// step the folder and each copy's ranking window must be what a small model
// says. Catches a score lost or doubled, a table written over one that came
// back, a backup that is not the damaged file it keeps, anything followed,
// made or changed outside the game's own names, and a copy that hangs.
// VIKKELO_MODEL_SEED repeats a run and VIKKELO_MODEL_STEPS lengthens it.

#include "support/workdir.h"
#include "support/files.h"

#include <QProcess>
#include <QRegularExpression>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QThread>
#include <QtTest>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <map>
#include <optional>

namespace {

using Table = QStringList; // five "name=score", the best first

const Table kDefault{"Tuntematon=10", "Tuntematon=8", "Tuntematon=6", "Tuntematon=4", "Tuntematon=2"};
const Table kCaptions(5, QStringLiteral("Tuntematon=0")); // a new window that no load filled
const QByteArray kOutside = "Ulkona,99\r\nUlkona,98\r\nUlkona,97\r\nUlkona,96\r\nUlkona,95\r\n";
const std::map<QString, QByteArray> kTables{{"played", "Matti,50\r\nAino,40\r\nLiisa,30\r\nPekka,20\r\nTeppo,12\r\n"},
                                            {"zeros", "Nolla,0\r\nNolla,0\r\nNolla,0\r\nNolla,0\r\nNolla,0\r\n"}};
constexpr int kBoundMs = 10000; // for every answer; the lock waits a few seconds at most

// Things planted in the folder, as a player would plant them; OUT is a folder outside.
const std::map<QString, QString> kShell{
    {"plant.fifo", "mkfifo TOP5.dat"}, {"plant.dir", "mkdir TOP5.dat"}, {"plant.link", "ln -s OUT/target TOP5.dat"},
    {"unplant", "rm -d TOP5.dat && { [ ! -e OUT/stash ] || mv OUT/stash TOP5.dat; }"},
    {"lock.fifo", "mkfifo TOP5.dat.lock"}, {"lock.zero", "ln -s /dev/zero TOP5.dat.lock"},
    {"lock.link", "ln -s OUT/target TOP5.dat.lock"}, {"lock.dir", "mkdir TOP5.dat.lock"},
    {"lock.big", "truncate -s 8G TOP5.dat.lock"},
    {"lock.stale", "echo x >TOP5.dat.lock; touch -d '-1 min' TOP5.dat.lock; mkfifo TOP5.dat.lock.rmlock"},
    {"lock.rmzero", "echo x >TOP5.dat.lock; touch -d '-1 min' TOP5.dat.lock; ln -s /dev/zero TOP5.dat.lock.rmlock"},
    {"unlock", "rm -f TOP5.dat.lock.rmlock && rm -d TOP5.dat.lock"}};

int score(const QString& entry) { return entry.section(u'=', -1).toInt(); }

// A new high score goes above the first place that is not higher; the fifth drops out.
bool enterInto(Table& table, const QString& entry)
{
    const auto k = std::find_if(table.begin(), table.end(), [&](auto& e) { return score(e) <= score(entry); });
    if (k != table.end())
        table.insert(k, entry), table.removeLast();
    return table.contains(entry);
}

// The lines "name , score" of a file, read here without the game's reader.
std::optional<Table> parse(const QByteArray& bytes)
{
    Table t;
    for (const QByteArray& line : bytes.split('\n'))
        if (const qsizetype comma = line.lastIndexOf(','); comma > 0)
            t << QString::fromLatin1(line.left(comma).trimmed() + '=' + line.mid(comma + 1).trimmed());
    return t.size() == 5 ? std::optional(t) : std::nullopt;
}

// What stands at the name, never following a link: "fifo", "dir", "link", "file", or nothing.
QByteArray kindAt(const QString& name)
{
#ifdef Q_OS_WIN
    const QFileInfo at(name);
    return at.isSymbolicLink() || at.isJunction() ? "link" : at.isDir() ? "dir" : at.exists() ? "file" : "";
#else
    struct stat st {};
    if (lstat(qPrintable(name), &st) != 0)
        return "";
    return S_ISFIFO(st.st_mode) ? "fifo" : S_ISDIR(st.st_mode) ? "dir" : S_ISLNK(st.st_mode) ? "link" : S_ISREG(st.st_mode) ? "file" : "?";
#endif
}

// A regular file's bytes; a FIFO, link or folder is never opened.
QByteArray regular(const QString& name)
{
    return kindAt(name) == "file" ? contents(name) : "<not a file>";
}

QString backupName(int n) { return QStringLiteral("TOP5.dat.bak") + (n > 1 ? QString::number(n) : QString()); }

struct Disk {
    char kind = 'm'; // 't'able, 'm'issing, 'd'amaged bytes, 'p'lanted
    Table table;
    QByteArray bytes; // the damaged bytes, the plant, or "default" for the default file
    bool operator==(const Disk&) const = default;
};

struct Player {
    std::unique_ptr<QProcess> process;
    std::optional<Table> labels; // the ranking window; none while it does not exist
    std::optional<Disk> seen;    // the file as this copy last read or wrote it
    Table pending;               // entered, not yet saved
    bool readFails = false;
};

// A working folder, the copies in it, and the model of both.
class World {
public:
    World() { write(outside_.filePath("target"), kOutside); }
    ~World()
    {
        for (Player& p : players_)
            end(p, false);
    }

    bool run(const QString& step)
    {
        history_ << step;
        const QStringList w = step.split(u'.');
        return (w[0].size() == 1 ? copyStep(players_[w[0][0].unicode() - u'a'], w.mid(1), step)
                                 : folderStep(step, w[0])) && check();
    }
    QString why() const { return why_ + "\nlast steps: " + history_.mid(history_.size() - 12).join(u' '); }

    QString randomStep(QRandomGenerator& rng)
    {
        const auto pick = [&](const QStringList& l) { return l[rng.bounded(int(l.size()))]; };
        QStringList alive, free;
        for (int i = 0; i < 3; ++i)
            (players_[i].process ? alive : free) << QString(QChar(u'a' + i));
        const int r = rng.bounded(100);
        if (alive.isEmpty() || (r < 7 && !free.isEmpty()))
            return pick(free) + ".start";
        const QString c = pick(alive);
        if (r < 40)
            return c + ".enter." + QString::number(rng.bounded(100));
        // A kill a few milliseconds into a save is judged against that save, not the load before it.
        const QString command = pick({"save", "save", "save", "clear", "show", "show", "quit", "kill",
                                      players_[c[0].unicode() - u'a'].labels ? "savekill." : "save"});
        if (r < 74)
            return c + '.' + command + (command.endsWith(u'.') ? QString::number(rng.bounded(20)) : QString());
#ifdef Q_OS_WIN
        // Windows has no FIFOs and no /dev/zero; Wine makes no link.
        if (r < 81)
            return disk_.kind == 'p' ? "unplant" : "plant.dir";
        if (r < 88)
            return lock_.isEmpty() ? "lock.dir" : "unlock";
#else
        if (r < 81)
            return disk_.kind == 'p' ? "unplant" : "plant." + pick({"fifo", "dir", "link"});
        if (r < 88)
            return lock_.isEmpty() ? "lock." + pick({"fifo", "zero", "link", "dir", "big", "stale", "rmzero"})
                                   : "unlock";
#endif
        return r < 94 && disk_.kind != 'p' ? "damage" : backups_.empty() ? c + ".show" : "bak.free";
    }

private:
    bool fail(const QString& what) { return why_ = what, false; }
    void end(Player& p, bool kill)
    {
        if (p.process && (kill || (p.process->closeWriteChannel(), !p.process->waitForFinished(kBoundMs))))
            p.process->kill(), p.process->waitForFinished();
        p = Player{};
    }
    bool lockBlocks() const { return !lock_.isEmpty() && lock_ != "big" && lock_ != "stale" && lock_ != "rmzero"; }
    int freeBackup() const
    {
        for (int n = 1; n <= 9; ++n)
            if (!backups_.count(backupName(n)))
                return n;
        return 0;
    }
    bool unreadable(const Player& p) const { return disk_.kind == 'p' || (disk_.kind != 'm' && p.readFails); }
    // Under the lock and after a look at what is there now, keeps a damaged
    // file aside and puts the table in its place.
    bool replace(Player& p, const Table& table, bool look = true)
    {
        if (lockBlocks() || (look && unreadable(p)) || (disk_.kind == 'd' && !freeBackup()))
            return false;
        if (disk_.kind == 'd')
            backups_[backupName(freeBackup())] = disk_.bytes;
        p.seen = disk_ = {'t', table, &table == &kDefault ? "default" : ""};
        return true;
    }
    // The load of a window being made. It keeps the captions it was made with
    // when the file was not read; at start only a table read makes the window.
    void load(Player& p, bool start)
    {
        const bool bad = unreadable(p), read = !bad && disk_.kind == 't';
        p.seen = disk_;
        p.labels = read ? disk_.table : !bad && replace(p, kDefault, false) ? kCaptions : kDefault;
        if (!read && p.labels == kDefault)
            p.seen.reset(); // a default shown for a problem is never saved over a table that is back
        if (start && !read)
            p.labels.reset();
    }
    // A file no other copy changed since is replaced by the window's table;
    // another copy's table gets this copy's new scores entered again.
    bool save(Player& p)
    {
        if (!p.labels)
            load(p, false);
        const bool merge = disk_.kind == 't' && p.seen != disk_;
        Table table = merge ? disk_.table : *p.labels;
        for (const QString& e : merge ? p.pending : Table{})
            enterInto(table, e);
        // Nothing new in the game's own format is left as it is, with no lock.
        const bool same = !merge && !unreadable(p) && disk_.kind == 't' && disk_.bytes != "default" &&
                          table == disk_.table;
        const bool saved = same || replace(p, table);
        if (saved || p.pending.isEmpty()) // a window that would lose nothing closes
            p.labels.reset(), p.pending = saved ? Table{} : p.pending;
        return saved;
    }

    bool copyStep(Player& p, const QStringList& w, const QString& step)
    {
        if (w[0] == "start") {
            QStringList args{VIKKELO_COPY, "--tables"};
            if ((p.readFails = w.size() > 1))
                args = QStringList{QStandardPaths::findExecutable("strace"), "-f", "-qq", "-o", "/dev/null", "-P",
                                   "TOP5.dat", "-e", "trace=read", "-e", "inject=read:error=EIO"} + args;
            p.process = std::make_unique<QProcess>();
            p.process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            p.process->start(args.takeFirst(), args);
            load(p, true);
            return answered(p, step, false, false, false);
        }
        if (!p.process)
            return fail(step + ": no such copy");
        const bool hadWindow = p.labels.has_value();
        const Disk before = disk_;
        const QString name = 'p' + QString::number(history_.size());
        const QString command = w[0] == "enter" ? "enter " + w[1] + u' ' + name : w[0] == "savekill" ? "save" : w[0];
        p.process->write(command.toUtf8() + '\n');
        if (w[0] == "kill" || w[0] == "savekill") {
            // Killed at once or somewhere in a save: the file is the table
            // before that save or after it, and a backup holds what it keeps.
            const auto backups = backups_;
            if (w[0] == "savekill")
                QThread::usleep(1000 * w.value(1).toUInt()), save(p); // a few milliseconds into the save
            end(p, true);
            // A save of the table that was there already is told apart by
            // the default file's own blanks around its commas.
            const QByteArray now = regular("TOP5.dat");
            const bool asBefore = before.kind == 't' && disk_.kind == 't' && before.table == disk_.table &&
                                  now.contains(" , ") == (before.bytes == "default");
            if (disk_ == before || (!asBefore && disk_.kind == 't' && parse(now) == disk_.table))
                return true;
            for (const auto& [file, bytes] : std::exchange(backups_, backups))
                if (!backups_.count(file) && QFile::exists(file))
                    backups_[file] = bytes;
            return disk_ = before, true;
        }
        bool refused = false, exits = false, told = false;
        if (!p.labels && w[0] != "quit" && w[0] != "save")
            load(p, false);
        if (w[0] == "enter" && !(told = !enterInto(*p.labels, name + u'=' + w[1])))
            p.pending << name + u'=' + w[1];
        if (w[0] == "save")
            refused = told = !save(p);
        if (w[0] == "clear" && !(refused = told = !replace(p, kDefault)))
            p.labels = kDefault, p.pending.clear();
        if (w[0] == "quit")
            refused = told = !(exits = p.pending.isEmpty() || save(p));
        const bool silent = (w[0] == "save" || w[0] == "quit") && !refused && hadWindow && before.kind != 'd';
        if (!answered(p, step, told, silent, exits))
            return false;
        if (exits)
            end(p, false);
        return true;
    }
    // The copy's answer: in time, ended or not, the window as the model has
    // it, a message when one is due and none when all went well.
    bool answered(Player& p, const QString& step, bool told, bool silent, bool exits)
    {
        QStringList said;
        std::optional<Table> shown;
        bool exited = false;
        for (QString line; line != "done";) {
            while (!p.process->canReadLine())
                if (!p.process->waitForReadyRead(kBoundMs))
                    return end(p, true), fail(step + ": no answer in time");
            line = QString::fromUtf8(p.process->readLine()).trimmed();
            if (line.startsWith("table: "))
                shown = line.mid(7).split(u'|');
            else if (line.startsWith("message: "))
                said << line;
            exited = exited || line == "exit";
        }
        if (exited != exits)
            return fail(step + (exits ? ": the copy did not end" : ": the copy ended"));
        if (!exits && shown != p.labels)
            return fail(step + ": the window shows " + shown.value_or(Table{"none"}).join(u'|') + ", not " +
                        p.labels.value_or(Table{"none"}).join(u'|'));
        if ((told && said.isEmpty()) || (silent && !said.isEmpty()))
            return fail(step + (told ? ": nothing was said" : ": " + said.join(u' ')));
        return true;
    }

    bool folderStep(const QString& step, const QString& what)
    {
        QString shell = kShell.count(step) ? kShell.at(step) : QString();
        if (what == "plant") {
            shell.prepend("[ ! -e TOP5.dat ] || mv TOP5.dat OUT/stash; ");
            stash_ = std::exchange(disk_, {'p', {}, step.mid(6).toLatin1()});
        } else if (what == "unplant") {
            disk_ = stash_;
        } else if (what == "lock") {
            shell.prepend("rm -f TOP5.dat.lock; "), lock_ = step.mid(5);
        } else if (what == "unlock") {
            lock_.clear();
        } else if (kTables.count(step)) {
            write("TOP5.dat", kTables.at(step));
            disk_ = {'t', *parse(kTables.at(step)), {}};
        } else if (what == "damage") {
            disk_ = {'d', {}, "vioittunut " + QByteArray::number(history_.size()) + "\r\n"};
            write("TOP5.dat", disk_.bytes);
        } else if (what == "bak") {
            for (int n = 9; n >= 1; --n)
                if (step == "bak.all" && !backups_.count(backupName(n)))
                    write(backupName(n), backups_[backupName(n)] = "vanha " + QByteArray::number(n) + "\r\n");
                else if (step == "bak.free" && backups_.erase(backupName(n)))
                    return QFile::remove(backupName(n));
        }
#ifdef Q_OS_WIN
        // The folder and lock steps Windows can take, without a shell.
        const bool dir = step == "plant.dir" || step == "lock.dir";
        const QString at = what == "plant" || what == "unplant" ? "TOP5.dat" : "TOP5.dat.lock";
        if (what == "plant" && QFile::exists(at))
            QFile::rename(at, outside_.filePath("stash"));
        if (what == "lock" || what == "unlock")
            QFile::remove(at);
        if (what == "unlock" || what == "unplant")
            QDir().rmdir(at);
        if (what == "unplant" && QFile::exists(outside_.filePath("stash")))
            QFile::rename(outside_.filePath("stash"), at);
        return shell.isEmpty() || (dir && QDir().mkdir(at)) || what == "unplant" || what == "unlock" ||
               fail(step + ": Windows cannot do it");
#endif
        return shell.isEmpty() || QProcess::execute("sh", {"-c", shell.replace("OUT", outside_.path())}) == 0 ||
               fail(step + ": the shell could not do it (was something made in the plant?)");
    }

    // The folder against the model.
    bool check()
    {
        const QByteArray now = regular("TOP5.dat");
        const Table real = parse(now).value_or(Table{});
        for (const QString& e : real)
            if (e.startsWith(u'p') && real.count(e) > 1)
                return fail("a score twice in TOP5.dat: " + real.join(u'|'));
        if ((disk_.kind == 't' && real != disk_.table) || (disk_.kind == 'd' && now != disk_.bytes))
            return fail("TOP5.dat holds " + QString::fromLatin1(now).replace("\r\n", "|") + " not " +
                        disk_.table.join(u'|') + disk_.bytes.trimmed());
        const QByteArray there = kindAt("TOP5.dat");
        if ((disk_.kind == 'm' && !there.isEmpty()) ||
            (disk_.kind == 'p' && (there != disk_.bytes || (there == "dir" && !QDir("TOP5.dat").isEmpty()))))
            return fail("TOP5.dat was made, or the plant at it changed");
        static const QRegularExpression own("^TOP5\\.dat(\\.lock|\\.tmp(-[0-9a-f]{16})?|\\.bak[2-9]?)?$");
        const bool rmlock = lock_ == "stale" || lock_ == "rmzero";
        const QStringList names = QDir().entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                   QDir::NoDotAndDotDot);
        for (const QString& name : names)
            if (!(own.match(name).hasMatch() || (rmlock && name == "TOP5.dat.lock.rmlock")) ||
                (name.contains(".bak") && regular(name) != backups_[name]))
                return fail(name + " should not be there, or not hold " + QString::fromLatin1(regular(name)));
        for (const auto& [name, bytes] : backups_)
            if (!names.contains(name))
                return fail(name + " is missing: a damaged file was not kept");
        if ((lock_ == "big" && QFileInfo("TOP5.dat.lock").size() != (qint64(8) << 30)) ||
            (rmlock && regular("TOP5.dat.lock") != "x\n"))
            return fail("the lock file planted was changed");
        return contents(outside_.filePath("target")) == kOutside || fail("the file outside the folder was changed");
    }

    TempWorkdir dir_;
    QTemporaryDir outside_;
    Player players_[3];
    Disk disk_, stash_;
    std::map<QString, QByteArray> backups_;
    QString lock_; // what was planted at the lock's name
    QStringList history_;
    QString why_;
};

} // namespace

class TestModel : public QObject {
    Q_OBJECT

private slots:
    void randomSteps()
    {
        const QString random = QString::number(QRandomGenerator::global()->generate());
        const quint32 seed = qEnvironmentVariable("VIKKELO_MODEL_SEED", random).toUInt();
        const int steps = qEnvironmentVariable("VIKKELO_MODEL_STEPS", "300").toInt();
        qInfo("seed %u", seed);
        QRandomGenerator rng(seed);
        World world;
        for (int step = 1; step <= steps; ++step)
            if (!world.run(world.randomStep(rng)))
                QFAIL(qPrintable(QStringLiteral("seed %1, step %2: ").arg(seed).arg(step) + world.why()));
    }

    // Each fault a script: a copy's letter and its command, or a change to the folder.
    void scripts_data()
    {
        QTest::addColumn<QString>("script");
        const auto row = [](const char* name, const char* script) { QTest::newRow(name) << QString(script); };
        row("table back after a FIFO", "played a.start a.save plant.fifo a.show unplant a.save");
        row("table back after a folder", "played a.start a.save plant.dir a.show unplant a.save");
        row("table back after a link", "played a.start a.save plant.link a.show unplant a.save");
        row("old lock, FIFO at its rmlock, no table", "lock.stale a.start a.enter.70 a.save");
        row("old lock, FIFO at its rmlock", "played lock.stale a.start a.enter.70 a.save");
        row("old lock, /dev/zero at its rmlock, no table", "lock.rmzero a.start a.enter.70 a.save");
        row("old lock, /dev/zero at its rmlock", "played lock.rmzero a.start a.enter.70 a.save");
        row("8 GiB lock", "played lock.big a.start a.enter.70 a.save");
        row("lock swapped for a link to /dev/zero", "played a.start a.enter.60 a.save lock.zero a.enter.61 "
            "a.save unlock a.save a.enter.62 lock.zero a.save unlock a.save lock.zero a.save");
        row("quit with a new entry", "zeros a.start a.enter.0 a.quit");
        row("quit refused, then saved", "played a.start a.enter.55 plant.fifo a.quit unplant a.quit");
        row("damaged, no backup name free, one freed",
            "played bak.all damage a.start a.enter.50 a.save bak.free a.save");
        row("damaged since the load", "played a.start a.enter.45 damage a.save b.start b.show");
        row("clear in a window made over a damaged file", "played a.start a.save damage a.clear");
        row("quit, nothing new, window made over a damaged file", "played a.start a.save damage a.show a.quit");
        row("a clear stays a clear",
            "played a.start b.start b.enter.60 b.save a.enter.55 a.save b.clear a.enter.1 a.save");
        row("killed in saves", "played a.start a.enter.80 a.savekill b.start b.enter.70 b.savekill damage "
            "c.start c.show c.savekill");
        row("read errors", "played a.start.eio a.enter.99 a.save a.clear");
    }
    void scripts()
    {
        QFETCH(QString, script);
#ifdef Q_OS_WIN
        if (script.contains(QRegularExpression("fifo|link|lock\\.|eio")))
            QSKIP("Windows has no FIFO, /dev/zero or strace, and Wine makes no link");
#endif
        if (script.contains(".eio") && QStandardPaths::findExecutable("strace").isEmpty())
            QSKIP("strace is not installed: no read error can be injected");
        World world;
        for (const QString& step : script.split(u' '))
            QVERIFY2(world.run(step), qPrintable(world.why()));
    }
};

QTEST_GUILESS_MAIN(TestModel)
#include "tst_model.moc"
