#include "top5/top5messages.h"

namespace top5messages {

namespace {

using Err = FileError::Kind;

using Problem = Top5Store::Problem;
using Action = Top5Store::Action;

const QString kCannotRead = QStringLiteral("TOP5-taulukkoa ei voitu lukea tiedostosta TOP5.dat: %1.");
const QString kCannotSave = QStringLiteral("TOP5-taulukkoa ei voitu tallentaa tiedostoon TOP5.dat: %1.");
const QString kPlayOn =
    QStringLiteral("Peliä voi pelata, mutta tuloksia ei voi tallentaa ennen kuin syy on korjattu.");
// What is wrong with a damaged file.
QString damageText(const top5file::Damage& d)
{
    switch (d.kind) {
    case top5file::Damage::Kind::FieldTooLong:
        return QStringLiteral("tiedoston rivillä %1 on kenttä, joka on liian pitkä ollakseen nimi tai pisteet "
                              "(yli %2 tavua)")
            .arg(d.line)
            .arg(d.limit);
    case top5file::Damage::Kind::EndsEarly:
        return QStringLiteral("tiedosto loppuu ennen kuin kaikki viisi sijaa on luettu (se päättyy riville %1)")
            .arg(d.line);
    case top5file::Damage::Kind::None:
        break;
    }
    return {};
}

// A file that is never written over, and why not, as the end of a sentence.
QString notWrittenOver(const QString& asLongAs)
{
    return QStringLiteral("Tiedosto TOP5.dat jätettiin ennalleen, eikä peli kirjoita sen päälle niin kauan kuin "
                          "%1. Peliä voi pelata oletustaulukolla.")
        .arg(asLongAs);
}
const QString kStillOpen =
    QStringLiteral("Taulukko on yhä sijoitusikkunassa: voit korjata syyn ja painaa \"Sulje\" uudelleen.");

// What stands at a name, when it is not a file the game may use.
QString kindNoun(EntryKind kind)
{
    switch (kind) {
    case EntryKind::Folder:
        return QStringLiteral("kansio");
    case EntryKind::SymLink:
        return QStringLiteral("symbolinen linkki");
    case EntryKind::Fifo:
        return QStringLiteral("nimetty putki");
    case EntryKind::Socket:
        return QStringLiteral("pistoke");
    case EntryKind::Device:
        return QStringLiteral("laitetiedosto");
    default:
        return {};
    }
}

// What stands at a name beside the table (the lock), when it is not a file
// the game may use.
QString standsAt(const QString& what, const QString& name, EntryKind kind)
{
    if (kind == EntryKind::Unknown)
        return QStringLiteral("%1n nimellä %2 on jotain muuta kuin tavallinen tiedosto").arg(what, name);
    if (kindNoun(kind).isEmpty())
        return QStringLiteral("%1n nimeä %2 ei voitu tutkia").arg(what, name);
    return QStringLiteral("%1n nimellä %2 on %3 eikä tavallinen tiedosto").arg(what, name, kindNoun(kind));
}

// Who holds the lock, as far as the game can see.
QString holderText(const Top5Store::Outcome& o)
{
    switch (o.holder) {
    case FileLock::Holder::Game:
        return QStringLiteral("toinen Vikkelo pitää lukkoa TOP5.dat.lock samassa kansiossa");
    case FileLock::Holder::OtherUser:
        return QStringLiteral("toisen käyttäjän ohjelma pitää lukkoa TOP5.dat.lock (käyttäjä %1)").arg(o.owner);
    case FileLock::Holder::OtherProgram:
        return QStringLiteral("jokin muu ohjelma kuin Vikkelo pitää lukkoa TOP5.dat.lock");
    case FileLock::Holder::Unseen:
        break;
    }
    return QStringLiteral("lukkoa TOP5.dat.lock pitää ohjelma, jota peli ei näe (ehkä toisen käyttäjän)");
}

// A lock file opened, but a lock the disk would not give.
QString lockRefused(const Top5Store::Outcome& o)
{
    const bool unsupported = o.error.is(Err::NotOpen) || o.error.is(Err::NoLocks) || o.error.is(Err::NotAccepted) ||
                             o.error.is(Err::NotSupported);
    if (o.readOnly && unsupported)
        return QStringLiteral("levy ei anna lukita tiedostoa TOP5.dat.lock, johon sinulla on vain lukuoikeus");
    if (unsupported)
        return QStringLiteral("levy ei tue tiedostojen lukitsemista");
    return QStringLiteral("lukkoa TOP5.dat.lock ei saatu (%1)").arg(reason(o.error));
}

QString kindText(EntryKind kind)
{
    if (kind == EntryKind::Folder)
        return QStringLiteral("samassa kansiossa on kansio nimeltä TOP5.dat");
    if (kind == EntryKind::Unknown || kind == EntryKind::File || kind == EntryKind::Missing ||
        kind == EntryKind::CannotLook)
        return QStringLiteral("TOP5.dat ei ole tavallinen tiedosto");
    return QStringLiteral("TOP5.dat on %1 eikä tavallinen tiedosto").arg(kindNoun(kind));
}

QString allBackupsTaken()
{
    const QStringList names = Top5Store::backupNames();
    return QStringLiteral("varmuuskopioiden nimet %1–%2 ovat kaikki jo käytössä").arg(names.first(), names.last());
}

// Why the disk did not confirm a table that was written.
QString notConfirmed(const Top5Store::Outcome& o)
{
    if (o.error.is(Err::NoAccess))
        return QStringLiteral("kansiota %1 ei voi lukea, joten levyltä ei voitu pyytää vahvistusta tallennukselle")
            .arg(o.folder);
    return QStringLiteral("levy ei vahvistanut tallennusta (%1)").arg(reason(o.error));
}

// Why the table could not go to disk, as the end of a sentence.
QString why(const Top5Store::Outcome& o)
{
    switch (o.problem) {
    case Problem::None:
        return {};
    case Problem::FolderRemoved:
        return QStringLiteral("kansio %1, josta peli käynnistettiin, on poistettu").arg(o.folder);
    case Problem::NotAFile:
        return kindText(o.kind);
    case Problem::ReadFailed:
        return QStringLiteral("tiedostoa TOP5.dat ei voitu lukea, joten peli ei kirjoita sen päälle (%1)")
            .arg(reason(o.error));
    case Problem::NotKept:
        return QStringLiteral("tiedosto TOP5.dat on vioittunut eikä siitä voitu tehdä varmuuskopiota, joten peli "
                              "ei kirjoita sen päälle (%1; %2)")
            .arg(damageText(o.damage), o.error ? reason(o.error) : allBackupsTaken());
    case Problem::ReadOnlyFile:
        return QStringLiteral("tiedosto TOP5.dat on kirjoitussuojattu");
    case Problem::LockNotAFile:
        return standsAt(QStringLiteral("lukkotiedosto"), QStringLiteral("TOP5.dat.lock"), o.kind);
    case Problem::LockBusy:
        // Only a copy of the game lets go of the lock soon.
        return holderText(o) + (o.holder == FileLock::Holder::Game
                                    ? QStringLiteral("; yritä hetken kuluttua uudelleen")
                                    : QString());
    case Problem::LockFailed:
        if (o.existed && o.error.is(Err::NoAccess) && !o.owner.isEmpty())
            return QStringLiteral("lukkotiedosto TOP5.dat.lock on käyttäjän %1, eikä sinulla ole oikeutta avata "
                                  "sitä; se estää muita pelaajia tallentamasta, kunnes %1 tai ylläpitäjä poistaa "
                                  "sen tai antaa sen kaikkien kirjoitettavaksi")
                .arg(o.owner);
        return QStringLiteral("lukkotiedostoa TOP5.dat.lock ei voitu %1: %2")
            .arg(o.existed ? QStringLiteral("avata") : QStringLiteral("luoda"), reason(o.error));
    case Problem::LockRefused:
        return lockRefused(o);
    case Problem::TempSwapped:
        return QStringLiteral("joku vaihtoi uuden tiedoston toiseen ennen kuin se siirtyi paikalleen, ja nimellä "
                              "TOP5.dat on nyt %1; kansioon %2 voi kirjoittaa joku muukin")
            .arg(kindNoun(o.kind).isEmpty() ? QStringLiteral("jokin muu tiedosto") : kindNoun(o.kind), o.folder);
    case Problem::FolderNotWritable:
        return QStringLiteral("kansioon %1 ei ole kirjoitusoikeutta").arg(o.folder);
    case Problem::StickyFolder:
        return QStringLiteral("kansiossa %1 kukin saa korvata vain omia tiedostojaan, ja TOP5.dat on käyttäjän %2")
            .arg(o.folder, o.owner);
    case Problem::WriteFailed:
        return reason(o.error);
    case Problem::NotFlushed:
        return notConfirmed(o);
    }
    return {};
}

// The damaged file kept aside, with the table that was or was not written.
QString keptText(const Top5Store::Outcome& o)
{
    const QString first = kCannotRead.arg(damageText(o.damage)) + QStringLiteral("\n\n");
    if (!o.saved())
        return first +
               QStringLiteral("Vanha tiedosto on tallessa nimellä %1, mutta taulukkoa ei voitu kirjoittaa tilalle: "
                              "%2.")
                   .arg(o.keptAs, why(o));
    if (o.action == Action::Save)
        return first + QStringLiteral("Vanha tiedosto on tallessa nimellä %1, ja taulukko tallennettiin sen tilalle.")
                           .arg(o.keptAs);
    return first + QStringLiteral("Tilalle kirjoitettiin oletustaulukko. Vanha tiedosto on tallessa nimellä %1.")
                       .arg(o.keptAs);
}

// A save or a clear that did not reach the disk, without what comes after.
QString notSaved(const Top5Store::Outcome& o)
{
    if (!o.keptAs.isEmpty())
        return keptText(o);
    if (o.action == Action::Clear)
        return QStringLiteral("Oletustaulukkoa ei voitu tallentaa tiedostoon TOP5.dat: %1.").arg(why(o));
    return kCannotSave.arg(why(o));
}

} // namespace

QString text(const Top5Store::Outcome& o)
{
    if (o.problem == Problem::NotFlushed) {
        // Written, and so told; a damaged file kept aside is told as well.
        const QString done =
            QStringLiteral("%1 kirjoitettiin tiedostoon TOP5.dat, mutta %2: se ei ehkä säily, jos kone sammuu nyt.")
                .arg(o.action == Action::Save ? QStringLiteral("Taulukko") : QStringLiteral("Oletustaulukko"),
                     notConfirmed(o));
        if (o.keptAs.isEmpty())
            return done;
        return kCannotRead.arg(damageText(o.damage)) + QStringLiteral("\n\n") + done +
               QStringLiteral(" Vanha tiedosto on tallessa nimellä %1.").arg(o.keptAs);
    }
    if (o.problem == Problem::None)
        return o.keptAs.isEmpty() ? QString() : keptText(o);

    if (o.action == Action::Clear)
        return notSaved(o) + QStringLiteral("\n\nTOP5-taulukkoa ei tyhjennetty.");
    if (o.action == Action::Save)
        return notSaved(o) +
               QStringLiteral("\n\nUusia tuloksia ei ollut, joten mitään ei menetetty. Ikkuna suljetaan.");
    // At start-up there is nothing to try again: the next save takes the lock.
    if (o.problem == Problem::LockBusy && !o.damage) {
        if (o.holder == FileLock::Holder::Game)
            return QStringLiteral("Toinen Vikkelo tallensi samaan aikaan, joten oletustaulukkoa ei kirjoitettu. "
                                  "Tulokset tallennetaan, kun painat \"Sulje\".");
        return QStringLiteral("Oletustaulukkoa ei kirjoitettu tiedostoon TOP5.dat, koska %1. Peliä voi pelata, "
                              "ja tulokset tallennetaan, kun painat \"Sulje\" lukon vapauduttua.")
            .arg(holderText(o));
    }

    // A load: the default table is shown in the real one's place.
    if (!o.keptAs.isEmpty())
        return keptText(o) + QStringLiteral("\n\n") + kPlayOn;
    if (o.damage)
        return QStringLiteral("TOP5-taulukkoa ei voitu lukea tiedostosta TOP5.dat: %1, eikä siitä voitu tehdä "
                              "varmuuskopiota: %2.\n\n")
                   .arg(damageText(o.damage), o.problem != Problem::NotKept ? why(o)
                                  : o.error                    ? reason(o.error)
                                                               : allBackupsTaken()) +
               notWrittenOver(QStringLiteral("se on vioittunut"));
    switch (o.problem) {
    case Problem::NotAFile:
        return kCannotRead.arg(kindText(o.kind)) +
               QStringLiteral("\n\nPeli ei lue sitä, ei kirjoita siihen eikä siirrä sitä. ") + kPlayOn;
    case Problem::ReadFailed:
        return kCannotRead.arg(QStringLiteral("tiedoston lukeminen epäonnistui (%1)").arg(reason(o.error))) +
               QStringLiteral("\n\n") + notWrittenOver(QStringLiteral("sitä ei voi lukea"));
    default:
        return kCannotSave.arg(why(o)) + QStringLiteral("\n\n") + kPlayOn;
    }
}

QString saveQuestion(const Top5Store::Outcome& o)
{
    return notSaved(o) + QStringLiteral("\n\n") + kStillOpen +
           QStringLiteral("\n\nSuljetaanko ikkuna silti tallentamatta? Uudet tulokset menetetään.");
}

QString quitQuestion(const Top5Store::Outcome& o)
{
    return notSaved(o) + QStringLiteral("\n\nLopetetaanko peli silti tallentamatta? Uudet tulokset menetetään.");
}

Cause cause(const Top5Store::Outcome& o)
{
    return {o.problem, o.kind, o.error, o.keptAs};
}

QString reason(const FileError& error)
{
    switch (error.kind) {
    case Err::IoError:
        return QStringLiteral("levyn luku- tai kirjoitusvirhe");
    case Err::NoSpace:
        return QStringLiteral("levylle ei voitu kirjoittaa (levy voi olla täynnä)");
    case Err::Quota:
        return QStringLiteral("levytilakiintiösi on täynnä");
    case Err::TooLarge:
        return QStringLiteral("tiedosto olisi liian suuri");
    case Err::ReadOnlyDisk:
        return QStringLiteral("levy on vain luettavissa");
    case Err::NoAccess:
        return QStringLiteral("käyttöoikeus puuttuu");
    case Err::NotPermitted:
        return QStringLiteral("käyttöjärjestelmä ei salli toimintoa");
    case Err::NameTaken:
        return QStringLiteral("samanniminen tiedosto on jo olemassa");
    case Err::NoSuchCall:
        return QStringLiteral("järjestelmä ei tue tarvittavaa toimintoa");
    case Err::NotAccepted:
        return QStringLiteral("tiedostojärjestelmä ei hyväksy toimintoa");
    case Err::NotSupported:
        return QStringLiteral("tiedostojärjestelmä ei tue toimintoa");
    case Err::Busy:
        return QStringLiteral("tiedosto tai levy on varattu");
    case Err::NotFound:
        return QStringLiteral("tiedostoa tai kansiota ei löydy");
    case Err::NotAFolder:
        return QStringLiteral("polun osa ei ole kansio");
    case Err::IsAFolder:
        return QStringLiteral("nimellä on kansio");
    case Err::IsALink:
        return QStringLiteral("nimellä on symbolinen linkki");
    case Err::NameTooLong:
        return QStringLiteral("polku on liian pitkä");
    case Err::TooManyOpen:
        return QStringLiteral("avoimia tiedostoja on liikaa");
    case Err::NoMemory:
        return QStringLiteral("muisti loppui");
    case Err::TryAgain:
    case Err::Held:
        return QStringLiteral("järjestelmä ei pystynyt siihen juuri nyt");
    case Err::NoLocks:
        return QStringLiteral("lukkoja ei ole enää vapaana");
    case Err::NotOpen:
        return QStringLiteral("tiedostoa ei ollut avattu toimintoa varten");
    case Err::InUse:
        return QStringLiteral("toinen ohjelma käyttää tiedostoa");
    case Err::Stale:
        return QStringLiteral("verkkolevyn tiedostokahva on vanhentunut");
    case Err::OtherDisk:
        return QStringLiteral("tiedostoa ei voi siirtää toiselle levylle");
    case Err::Interrupted:
        return QStringLiteral("toiminto keskeytyi");
    case Err::None:
    case Err::Other:
        break;
    }
    return QStringLiteral("järjestelmävirhe numero %1").arg(error.code);
}

} // namespace top5messages
