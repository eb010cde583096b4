#include "top5/top5store.h"

#include "top5/top5file.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

const QString Top5Store::kFileName = QStringLiteral("TOP5.dat");
const QString Top5Store::kBackupName = QStringLiteral("TOP5.dat.bak");
const QString Top5Store::kLockName = QStringLiteral("TOP5.dat.lock");
const QString Top5Store::kTempName = QStringLiteral("TOP5.dat.tmp");

namespace {

using Err = FileError::Kind;

// The permissions, not the disk, forbid it.
bool denied(const FileError& e)
{
    return e.is(Err::NoAccess) || e.is(Err::NotPermitted);
}

// Another copy holds the lock for about a millisecond of its save: one that
// holds it longer is stuck or stopped, and the window does not wait for it.
constexpr int kLockWaitMs = 250;
// A temporary older than this is a crash's leftover, not a save going on.
constexpr int kLeftoverSeconds = 60;

// A temporary name nobody in the folder can guess and put something at first.
QString newTempName()
{
    return Top5Store::kTempName + u'-' +
           QString::number(QRandomGenerator::system()->generate64(), 16).rightJustified(16, u'0');
}

} // namespace

QStringList Top5Store::backupNames()
{
    QStringList names{kBackupName};
    for (int n = 2; n <= 9; ++n)
        names << kBackupName + QString::number(n);
    return names;
}

Top5Store::Top5Store()
    : folder_(QDir::toNativeSeparators(QDir::currentPath())), startedIn_(QDir::currentPath())
{
    // A save cut short by a crash may have left its new file unmoved.
    const QStringList temps =
        QDir().entryList({kTempName, kTempName + QStringLiteral("-*")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : temps)
        removeStaleFile(name, kLeftoverSeconds);
}

bool Top5Store::folderBack() const
{
    // A folder only renamed is still the working folder and never gone; one
    // made again where the game started is where it now saves.
    return QFileInfo(startedIn_).isDir() && QDir::setCurrent(startedIn_) && !workingFolderRemoved();
}

Top5Store::Outcome Top5Store::start(Action action) const
{
    Outcome out;
    out.action = action;
    out.folder = folder_;
    return out;
}

Top5Store::Disk Top5Store::look() const
{
    Disk disk;
    disk.file = readRegularFile(kFileName, top5file::kMaxReadBytes);
    if (disk.file.status == ReadOutcome::Read) {
        const top5file::Fields read = top5file::parseFields(disk.file.bytes, disk.file.complete);
        if (read.ok)
            disk.table = Top5Table::fromFields(read.fields);
        else
            disk.damage = read.damage;
    }
    return disk;
}

bool Top5Store::unusable(const Disk& disk, Outcome& out) const
{
    if (disk.file.status == ReadOutcome::NotAFile) {
        out.problem = Problem::NotAFile;
        out.kind = disk.file.kind;
        return true;
    }
    if (disk.file.status == ReadOutcome::Failed) {
        // A read that fails says nothing of what the file holds: it may be a
        // good table on a bad disk, so it is neither moved nor written over.
        out.problem = Problem::ReadFailed;
        out.error = disk.file.error;
        return true;
    }
    return false;
}

bool Top5Store::takeLock(FileLock& lock, Outcome& out) const
{
    if (workingFolderRemoved() && !folderBack()) {
        out.problem = Problem::FolderRemoved;
        return false;
    }
    const FileLock::Outcome taken = lock.lock(kLockName, kLockWaitMs);
    if (taken.locked)
        return true;
    out.existed = taken.existed;
    out.error = taken.error;
    out.readOnly = taken.readOnly;
    out.owner = taken.owner;
    if (taken.kind != EntryKind::File) {
        out.problem = Problem::LockNotAFile;
        out.kind = taken.kind;
    } else if (taken.error.is(Err::Held)) {
        out.problem = Problem::LockBusy;
        out.holder = taken.holder;
    } else if (taken.opened) {
        out.problem = Problem::LockRefused;
    } else if (!taken.existed && denied(taken.error)) {
        out.problem = Problem::FolderNotWritable;
    } else {
        out.problem = Problem::LockFailed;
    }
    return false;
}

void Top5Store::write(const Disk& disk, const QByteArray& bytes, Outcome& out)
{
    if (disk.file.status == ReadOutcome::Read) {
        // A read-only TOP5.dat stays as it is, even where the folder would
        // let it be replaced.
        const FileError access = writeAccess(kFileName);
        if (denied(access)) {
            out.problem = Problem::ReadOnlyFile;
            return;
        }
        if (access.is(Err::ReadOnlyDisk)) {
            out.problem = Problem::WriteFailed;
            out.error = access;
            return;
        }
    }
    if (disk.file.status == ReadOutcome::Read && !disk.table) {
        // Damaged: kept under the first free backup name. Only a name that
        // nothing at all stands at is used: an older backup, a folder or a
        // link there is left as it is.
        out.damage = disk.damage;
        for (const QString& name : backupNames()) {
            const KeepOutcome kept = keepUnder(kFileName, name);
            if (!kept.error) {
                out.keptAs = name;
                break;
            }
            if (!kept.error.is(Err::NameTaken)) {
                out.error = kept.error;
                break;
            }
        }
        if (out.keptAs.isEmpty()) {
            out.problem = Problem::NotKept;
            return;
        }
    }
    const WriteOutcome written = replaceWithNewFile(kFileName, newTempName(), bytes);
    out.error = written.error;
    if (written.swapped) {
        out.problem = Problem::TempSwapped;
        out.kind = lookAt(kFileName).kind;
    } else if (!written.error) {
        out.problem = Problem::None;
    } else if (written.renamed) {
        out.problem = Problem::NotFlushed;
    } else if (const ReadOutcome now = readRegularFile(kFileName, top5file::kMaxReadBytes);
               now.status == ReadOutcome::Read && now.complete && now.bytes == bytes) {
        // A network disk may report a move failed that took place: the
        // table is there, and is told as saved, with the doubt.
        out.problem = Problem::NotFlushed;
    } else if (written.sticky) {
        out.problem = Problem::StickyFolder;
        out.owner = written.owner;
    } else if (denied(written.error)) {
        out.problem = Problem::FolderNotWritable;
    } else {
        out.problem = Problem::WriteFailed;
    }
}

Top5Store::Outcome Top5Store::load()
{
    Outcome out = start(Action::Load);
    newScores_.clear();
    Disk disk = look();
    const bool change = !disk.table && (disk.file.status == ReadOutcome::Read ||
                                        disk.file.status == ReadOutcome::Missing);
    out.damage = disk.damage;
    if (change) {
        // The default goes in, or a damaged file goes aside, only under the
        // lock and only for what is there then: another copy may just have
        // saved a good table in its place.
        FileLock lock;
        if (takeLock(lock, out)) {
            disk = look();
            if (!disk.table && !unusable(disk, out)) {
                write(disk, top5file::defaultFile(), out);
                if (out.saved()) {
                    // The labels keep what they showed, which the store
                    // did not give them: nothing there is new.
                    seen_ = top5file::defaultFile();
                    shown_.reset();
                }
            }
        }
    } else {
        unusable(disk, out);
    }

    if (disk.table) {
        // The first touch of a label may create the ranking window, whose own
        // load runs once more; both show the same table.
        out.problem = Problem::None;
        out.shows = Shows::Table;
        out.table = *disk.table;
        seen_ = disk.file.bytes;
        shown_ = out.table;
        return out;
    }
    if (!out.saved()) {
        // The table shown is then not the one on disk, whatever this copy
        // saw there before: the next save merges into what is there.
        seen_.reset();
        out.shows = Shows::TableIfOpen;
        out.table = Top5Table::defaults();
        shown_ = out.table;
    }
    return out;
}

std::optional<Top5Store::Disk> Top5Store::lockAndLook(FileLock& lock, Outcome& out) const
{
    // What cannot be written over is refused before anything is made.
    if (unusable(look(), out) || !takeLock(lock, out))
        return std::nullopt;
    Disk disk = look();
    if (unusable(disk, out))
        return std::nullopt;
    return disk;
}

void Top5Store::remember(const QByteArray& bytes, const Outcome& out)
{
    if (!out.saved())
        return;
    seen_ = bytes;
    shown_ = out.table;
    newScores_.clear();
}

Top5Store::Outcome Top5Store::save(const Top5Table& shown)
{
    Outcome out = start(Action::Save);
    out.table = shown;
    // Nothing new: the file that holds the table shown stays as it is, and
    // stays whose it is, with no lock to wait for.
    if (const Disk now = look();
        now.table && now.file.complete && ours(now.file.bytes) && now.file.bytes == shown.file()) {
        remember(now.file.bytes, out);
        return out;
    }
    FileLock lock;
    const std::optional<Disk> disk = lockAndLook(lock, out);
    if (!disk)
        return out;
    if (disk->table && !ours(disk->file.bytes)) {
        // Another copy saved since (or a table is back after a problem): it
        // stands, with this copy's new scores entered again by the rule of a
        // new high score. What this copy has seen is then what it merged.
        out.table = *disk->table;
        for (const Score& s : newScores_)
            out.table.enter(s.name, s.points);
        out.shows = Shows::Table;
        seen_ = disk->file.bytes;
        shown_ = out.table;
    }
    const QByteArray bytes = out.table.file();
    // Nothing new: the file stays as it is, and whose it is.
    if (!disk->table || !disk->file.complete || disk->file.bytes != bytes)
        write(*disk, bytes, out);
    remember(bytes, out);
    return out;
}

Top5Store::Outcome Top5Store::clear()
{
    Outcome out = start(Action::Clear);
    out.table = Top5Table::defaults();
    FileLock lock;
    if (const std::optional<Disk> disk = lockAndLook(lock, out)) {
        write(*disk, top5file::defaultFile(), out);
        remember(top5file::defaultFile(), out);
    }
    return out;
}

void Top5Store::addNewScore(const QString& name, double points)
{
    newScores_.push_back({name, points});
}

bool Top5Store::wouldLose(const Top5Table& shown) const
{
    return !newScores_.empty() || (shown_ && shown != *shown_);
}
