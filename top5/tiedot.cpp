#include "top5/tiedot.h"

#include "game/program.h"
#include "game/vikkelo.h"
#include "top5/ranking.h"
#include "top5/sijoitus.h"
#include "top5/top5file.h"

#include <QDir>
#include <QLabel>
#include <QLockFile>

#include <cerrno>

const QString Tiedot::kFileName = QStringLiteral("TOP5.dat");
const QString Tiedot::kBackupName = QStringLiteral("TOP5.dat.bak");
const QString Tiedot::kLockName = QStringLiteral("TOP5.dat.lock");
const QString Tiedot::kTempName = QStringLiteral("TOP5.dat.tmp");

namespace {

// Another copy holds the lock only for the few milliseconds of its save. A
// lock whose owner died before it could say who it was (an empty lock file)
// counts as abandoned after kLockStaleMs.
constexpr int kLockWaitMs = 3000;
constexpr int kLockStaleMs = 1500;
// A temporary older than this is a crash's leftover, not a save going on.
constexpr int kLeftoverSeconds = 60;

const QString kCannotRead = QStringLiteral("TOP5-taulukkoa ei voitu lukea tiedostosta TOP5.dat: %1.");
const QString kCannotSave = QStringLiteral("TOP5-taulukkoa ei voitu tallentaa tiedostoon TOP5.dat: %1.");
const QString kPlayOn =
    QStringLiteral("Peliä voi pelata, mutta tuloksia ei voi tallentaa ennen kuin syy on korjattu.");
const QString kNotWrittenOver =
    QStringLiteral("Tiedosto TOP5.dat jätettiin ennalleen, eikä peli kirjoita sen päälle tämän pelikerran "
                   "aikana. Peliä voi pelata oletustaulukolla.");
const QString kDiskFull = QStringLiteral("levylle ei voitu kirjoittaa (levy voi olla täynnä)");

// What stands at the file's name, when it is not a file the game may use.
QString kindText(EntryKind kind)
{
    switch (kind) {
    case EntryKind::Folder:
        return QStringLiteral("samassa kansiossa on kansio nimeltä TOP5.dat");
    case EntryKind::SymLink:
        return QStringLiteral("TOP5.dat on symbolinen linkki eikä tavallinen tiedosto");
    case EntryKind::Fifo:
        return QStringLiteral("TOP5.dat on nimetty putki (FIFO) eikä tavallinen tiedosto");
    case EntryKind::Socket:
        return QStringLiteral("TOP5.dat on pistoke (socket) eikä tavallinen tiedosto");
    case EntryKind::Device:
        return QStringLiteral("TOP5.dat on laitetiedosto eikä tavallinen tiedosto");
    default:
        return QStringLiteral("TOP5.dat ei ole tavallinen tiedosto");
    }
}

bool usable(EntryKind kind)
{
    return kind == EntryKind::Missing || kind == EntryKind::File;
}

} // namespace

Tiedot::Tiedot(Program& program)
    : program_(program), startFolder_(QDir::toNativeSeparators(QDir::currentPath()))
{
    // A save cut short by a crash may have left its new file unmoved.
    removeStaleFile(kTempName, kLeftoverSeconds);
}

QStringList Tiedot::backupNames()
{
    QStringList names{kBackupName};
    for (int n = 2; n <= 9; ++n)
        names << kBackupName + QString::number(n);
    return names;
}

int Tiedot::tell(const QString& text, Tell when, Dialogs::Buttons buttons)
{
    if (when == Tell::OncePerRun) {
        // Each problem the loads find is told once; the window made later
        // finds the same problem and need not say it again.
        if (told_.contains(text))
            return Dialogs::Ok;
        told_.insert(text);
    }
    return program_.platform().dialogs.msgBox(text, buttons);
}

void Tiedot::LataaTop5()
{
    const ReadOutcome file = readRegularFile(kFileName, top5file::kMaxReadBytes);
    top5file::Fields read;
    switch (file.status) {
    case ReadOutcome::Read:
        read = top5file::parseFields(file.bytes, file.complete);
        if (!read.ok)
            break;
        seen_ = file.bytes;
        newScores_.clear();
        untouchable_ = {};
        // The first touch of a label may create the ranking window, whose own
        // load runs this routine once more; both set the same ten captions.
        setTable(read.fields);
        return;
    case ReadOutcome::Missing: {
        const QString why = writeDefault();
        if (!why.isEmpty()) {
            tell(kCannotSave.arg(why) + QStringLiteral("\n\n") + kPlayOn, Tell::OncePerRun);
            showDefaultTable();
        }
        return;
    }
    case ReadOutcome::NotAFile:
        tell(kCannotRead.arg(kindText(file.kind)) +
                 QStringLiteral("\n\nPeli ei lue sitä, ei kirjoita siihen eikä siirrä sitä. ") + kPlayOn,
             Tell::OncePerRun);
        showDefaultTable();
        return;
    case ReadOutcome::Failed:
        // A read that fails says nothing of what the file holds: it may be a
        // good table on a bad disk, so it is neither moved nor written over.
        untouchable_ = file.identity.isNull() ? identityOf(kFileName) : file.identity;
        untouchableWhy_ = QStringLiteral("tiedostoa TOP5.dat ei voitu lukea, joten peli ei kirjoita sen päälle");
        tell(kCannotRead.arg(QStringLiteral("tiedoston lukeminen epäonnistui (%1)").arg(file.error)) +
                 QStringLiteral("\n\n") + kNotWrittenOver,
             Tell::OncePerRun);
        showDefaultTable();
        return;
    }

    // Read, but not a table.
    const QString problem = read.problem;
    QString backup;
    const QString notKept = keepAside(backup);
    if (!notKept.isEmpty()) {
        untouchable_ = identityOf(kFileName);
        untouchableWhy_ = QStringLiteral("tiedosto TOP5.dat on vioittunut eikä siitä voitu tehdä "
                                         "varmuuskopiota, joten peli ei kirjoita sen päälle");
        tell(QStringLiteral("TOP5-taulukkoa ei voitu lukea tiedostosta TOP5.dat: %1, eikä siitä voitu tehdä "
                            "varmuuskopiota: %2.\n\n")
                     .arg(problem, notKept) +
                 kNotWrittenOver,
             Tell::OncePerRun);
        showDefaultTable();
        return;
    }
    const QString why = writeDefault();
    if (why.isEmpty()) {
        tell(kCannotRead.arg(problem) +
                 QStringLiteral("\n\nTilalle kirjoitettiin oletustaulukko. Vanha tiedosto on tallessa nimellä %1.")
                     .arg(backup),
             Tell::Always);
        return;
    }
    tell(kCannotRead.arg(problem) +
             QStringLiteral("\n\nVanha tiedosto on tallessa nimellä %1, mutta oletustaulukkoa ei voitu "
                            "kirjoittaa tilalle: %2.\n\n")
                 .arg(backup, why) +
             kPlayOn,
         Tell::Always);
    showDefaultTable();
}

QString Tiedot::keepAside(QString& used)
{
    for (const QString& name : backupNames()) {
        // Only a name that nothing at all stands at is used: an older backup,
        // a folder or a link there is left as it is.
        const int error = renameIfFree(kFileName, name);
        if (error == 0) {
            used = name;
            return {};
        }
        if (error == EEXIST)
            continue;
        if (error == EACCES || error == EPERM || error == EROFS)
            return QStringLiteral("kansioon %1 ei ole kirjoitusoikeutta").arg(startFolder_);
        return qt_error_string(error);
    }
    return QStringLiteral("varmuuskopioiden nimet %1–%2 ovat kaikki jo käytössä")
        .arg(backupNames().first(), backupNames().last());
}

void Tiedot::showDefaultTable()
{
    if (!program_.sijoitus().exists())
        return;
    newScores_.clear();
    setTable(top5file::parseFields(top5file::defaultFile(), true).fields);
}

void Tiedot::setTable(const QStringList& fields)
{
    Sijoitus& table = program_.sijoitus().get();
    for (int k = 1; k <= top5file::kPlaces; ++k)
        table.sijoitus(k).setText(fields[2 * (k - 1)]);
    for (int k = 1; k <= top5file::kPlaces; ++k)
        table.pisteet(k).setText(top5file::numberText(top5file::leadingNumber(fields[2 * k - 1])));
}

QByteArray Tiedot::labelsFile()
{
    Sijoitus& table = program_.sijoitus().get();
    std::array<QString, top5file::kPlaces> names;
    std::array<QString, top5file::kPlaces> scores;
    for (int k = 1; k <= top5file::kPlaces; ++k) {
        names[k - 1] = table.sijoitus(k).text();
        scores[k - 1] = table.pisteet(k).text();
    }
    return top5file::tableFile(names, scores);
}

QString Tiedot::obstacle() const
{
    if (workingFolderRemoved())
        return QStringLiteral("kansio %1, josta peli käynnistettiin, on poistettu").arg(startFolder_);
    const EntryKind kind = entryKind(kFileName);
    if (!usable(kind))
        return kindText(kind);
    if (!untouchable_.isNull() && identityOf(kFileName) == untouchable_)
        return untouchableWhy_;
    // A read-only TOP5.dat stays as it is, even where the folder would let
    // it be replaced.
    if (kind == EntryKind::File && !mayWrite(kFileName))
        return QStringLiteral("tiedosto TOP5.dat on kirjoitussuojattu");
    if (!mayWrite(QStringLiteral(".")))
        return QStringLiteral("kansioon %1 ei ole kirjoitusoikeutta").arg(startFolder_);
    if (!usable(entryKind(kLockName)))
        return QStringLiteral("lukkotiedoston nimellä TOP5.dat.lock on jotain muuta kuin tavallinen tiedosto");
    if (!usable(entryKind(kTempName)))
        return QStringLiteral("väliaikaistiedoston nimellä TOP5.dat.tmp on jotain muuta kuin tavallinen "
                              "tiedosto");
    return {};
}

QString Tiedot::writeLocked(bool merge, const QByteArray& fixed)
{
    QString why = obstacle();
    if (!why.isEmpty())
        return why;

    // Two copies of the game in one folder take turns, so that neither
    // writes over what the other has just saved without seeing it.
    QLockFile lock(kLockName);
    lock.setStaleLockTime(kLockStaleMs);
    if (!lock.tryLock(kLockWaitMs)) {
        switch (lock.error()) {
        case QLockFile::LockFailedError:
            return QStringLiteral("toinen Vikkelo tallentaa samaan aikaan samaan kansioon; yritä hetken "
                                  "kuluttua uudelleen");
        case QLockFile::PermissionError:
            return QStringLiteral("lukkotiedostoa TOP5.dat.lock ei voitu luoda, koska kansioon %1 ei ole "
                                  "kirjoitusoikeutta")
                .arg(startFolder_);
        default:
            return workingFolderFull() ? kDiskFull
                                       : QStringLiteral("lukkotiedostoa TOP5.dat.lock ei voitu luoda");
        }
    }

    QByteArray bytes = fixed;
    if (merge) {
        why = mergeFresh();
        if (!why.isEmpty())
            return why;
        bytes = labelsFile();
    }
    const WriteOutcome written = replaceWithNewFile(kFileName, kTempName, bytes);
    if (written.ok) {
        seen_ = bytes;
        newScores_.clear();
        return {};
    }
    why = obstacle();
    if (why.isEmpty()) {
        switch (written.error) {
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
        case EFBIG:
            why = kDiskFull;
            break;
        case EROFS:
            why = QStringLiteral("levy on vain luettavissa");
            break;
        default:
            why = QStringLiteral("tiedostoa ei voitu kirjoittaa");
        }
    }
    if (!written.errorText.isEmpty())
        why += QStringLiteral(" (%1)").arg(written.errorText);
    return why;
}

QString Tiedot::mergeFresh()
{
    const ReadOutcome file = readRegularFile(kFileName, top5file::kMaxReadBytes);
    switch (file.status) {
    case ReadOutcome::Missing:
        return {};
    case ReadOutcome::NotAFile:
        return kindText(file.kind);
    case ReadOutcome::Failed:
        return QStringLiteral("tiedostoa TOP5.dat ei voitu lukea ennen tallennusta (%1), joten peli ei "
                              "kirjoita sen päälle")
            .arg(file.error);
    case ReadOutcome::Read:
        break;
    }
    if (seen_ && *seen_ == file.bytes)
        return {};

    const top5file::Fields read = top5file::parseFields(file.bytes, file.complete);
    if (!read.ok) {
        // Damaged since this copy last looked: kept aside as a load would,
        // and this copy's table written in its place.
        QString backup;
        const QString notKept = keepAside(backup);
        if (!notKept.isEmpty())
            return QStringLiteral("tiedosto TOP5.dat on vioittunut (%1) eikä siitä voitu tehdä "
                                  "varmuuskopiota: %2")
                .arg(read.problem, notKept);
        tell(kCannotRead.arg(read.problem) +
                 QStringLiteral("\n\nVanha tiedosto on tallessa nimellä %1, ja taulukko tallennetaan sen tilalle.")
                     .arg(backup),
             Tell::Always);
        return {};
    }

    // Another copy saved since: its table, with this copy's new scores
    // entered again by the same rule as at the end of a round.
    setTable(read.fields);
    Sijoitus& table = program_.sijoitus().get();
    for (const Score& s : newScores_) {
        if (ranking::qualifies(top5file::leadingNumber(table.pisteet(5).text()), s.points))
            enter(s.name, s.points);
    }
    return {};
}

QString Tiedot::writeDefault()
{
    return writeLocked(false, top5file::defaultFile());
}

Tiedot::SaveResult Tiedot::TallennaTop5()
{
    const QString why = writeLocked(true);
    if (why.isEmpty())
        return SaveResult::Saved;
    const int answer =
        tell(kCannotSave.arg(why) +
                 QStringLiteral("\n\nTaulukko on yhä sijoitusikkunassa: voit korjata syyn ja painaa \"Sulje\" "
                                "uudelleen.\n\nSuljetaanko ikkuna silti tallentamatta? Uudet tulokset menetetään."),
             Tell::Always, Dialogs::Buttons::YesNoDefaultNo);
    return answer == Dialogs::Yes ? SaveResult::CloseUnsaved : SaveResult::KeepOpen;
}

bool Tiedot::OletusTop5()
{
    const QString why = writeDefault();
    if (why.isEmpty())
        return true;
    tell(QStringLiteral("Oletustaulukkoa ei voitu tallentaa tiedostoon TOP5.dat: %1.\n\nTOP5-taulukkoa ei "
                        "tyhjennetty.")
             .arg(why),
         Tell::Always);
    return false;
}

void Tiedot::endOfGame()
{
    Vikkelo& board = program_.vikkelo().get();
    // The first touch may create the ranking window, which loads the table.
    program_.sijoitus().get().pisteett().setText(board.pisteet().text());

    Sijoitus& table = program_.sijoitus().get();
    const double fifth = top5file::leadingNumber(table.pisteet(5).text());
    const double score = top5file::leadingNumber(table.pisteett().text());
    if (ranking::qualifies(fifth, score)) {
        LisaaTop5();
        return;
    }

    board.Lopetus();
    const int answer = program_.platform().dialogs.msgBox(
        QStringLiteral("  Sait ") + program_.sijoitus().get().pisteett().text() +
            QStringLiteral("-pistettä.\r\nHaluatko nähdä sijoituksesi taulukossa?"),
        Dialogs::Buttons::YesNo, QStringLiteral("Pisteet"));
    board.round().setT(answer);
    if (board.round().t() == Dialogs::Yes)
        program_.sijoitus().show();
}

void Tiedot::LisaaTop5()
{
    Vikkelo& board = program_.vikkelo().get();
    Dialogs& dialogs = program_.platform().dialogs;

    // The round's timer still runs behind the prompt; the reset comes last.
    for (;;) {
        const QString prompt = QStringLiteral("Onneksi olkoon. Pääsit TOP5-listalle pisteillä ") +
                               board.pisteet().text() + u'!';
        nimi = dialogs.inputBox(prompt, QStringLiteral("Onneksi olkoon!"), nimi);
        if (nimi.isEmpty() || nimi == QStringLiteral(" ")) {
            dialogs.msgBox(QStringLiteral("Sinun täytyy kirjoittaa nimimerkkisi tai nimesi!"),
                           Dialogs::Buttons::Ok);
            continue;
        }
        if (ranking::visibleLength(nimi) > 17) {
            dialogs.msgBox(
                QStringLiteral("Nimimerkkisi tai nimesi saa olla maksimissaan vain 17-merkkiä pitkä!"),
                Dialogs::Buttons::Ok);
            continue;
        }
        // Seventeen letters can carry any number of accents each; a name the
        // file cannot hold would make the whole table unloadable.
        if (!top5file::fitsInFile(nimi)) {
            dialogs.msgBox(QStringLiteral("Nimimerkkisi tai nimesi on liian pitkä tallennettavaksi: siinä on "
                                          "liikaa tarkkeita tai erikoismerkkejä!"),
                           Dialogs::Buttons::Ok);
            continue;
        }
        break;
    }

    const double score = top5file::leadingNumber(board.pisteet().text());
    enter(nimi, score);
    newScores_.push_back({nimi, score});

    program_.sijoitus().show();
    board.Lopetus();
}

void Tiedot::enter(const QString& name, double points)
{
    Sijoitus& table = program_.sijoitus().get();
    std::array<double, top5file::kPlaces> scores{};
    for (int k = 1; k <= top5file::kPlaces; ++k)
        scores[k - 1] = top5file::leadingNumber(table.pisteet(k).text());
    const int place = ranking::insertionPlace(scores, points);
    if (place == 0)
        return;
    // Bottom first; the old fifth entry drops out.
    for (int k = top5file::kPlaces; k > place; --k)
        table.pisteet(k).setText(top5file::numberText(scores[k - 2]));
    table.pisteet(place).setText(top5file::numberText(points));
    for (int k = top5file::kPlaces; k > place; --k)
        table.sijoitus(k).setText(table.sijoitus(k - 1).text());
    table.sijoitus(place).setText(name);
}
