#include "top5/top5messages.h"

#include <cerrno>

namespace top5messages {

namespace {

using Problem = Top5Store::Problem;
using Action = Top5Store::Action;

const QString kCannotRead = QStringLiteral("TOP5-taulukkoa ei voitu lukea tiedostosta TOP5.dat: %1.");
const QString kCannotSave = QStringLiteral("TOP5-taulukkoa ei voitu tallentaa tiedostoon TOP5.dat: %1.");
const QString kPlayOn =
    QStringLiteral("Peliä voi pelata, mutta tuloksia ei voi tallentaa ennen kuin syy on korjattu.");
const QString kNotWrittenOver =
    QStringLiteral("Tiedosto TOP5.dat jätettiin ennalleen, eikä peli kirjoita sen päälle niin kauan kuin se on "
                   "tällainen. Peliä voi pelata oletustaulukolla.");
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
        return QStringLiteral("nimetty putki (FIFO)");
    case EntryKind::Socket:
        return QStringLiteral("pistoke (socket)");
    case EntryKind::Device:
        return QStringLiteral("laitetiedosto");
    default:
        return QStringLiteral("jotain muuta kuin tavallinen tiedosto");
    }
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
            .arg(o.damage, o.error != 0 ? reason(o.error) : allBackupsTaken());
    case Problem::ReadOnlyFile:
        return QStringLiteral("tiedosto TOP5.dat on kirjoitussuojattu");
    case Problem::LockNotAFile:
        return QStringLiteral("lukkotiedoston nimellä TOP5.dat.lock on %1 eikä tavallinen tiedosto")
            .arg(kindNoun(o.kind));
    case Problem::LockBusy:
        return o.otherUser ? QStringLiteral("toisen käyttäjän ohjelma pitää lukkoa TOP5.dat.lock juuri nyt; yritä "
                                            "hetken kuluttua uudelleen")
                           : QStringLiteral("toinen Vikkelo tallentaa samaan aikaan samaan kansioon; yritä hetken "
                                            "kuluttua uudelleen");
    case Problem::LockFailed:
        return QStringLiteral("lukkotiedostoa TOP5.dat.lock ei voitu %1: %2")
            .arg(o.existed ? QStringLiteral("avata") : QStringLiteral("luoda"), reason(o.error));
    case Problem::TempNotAFile:
        return QStringLiteral("väliaikaistiedoston nimellä TOP5.dat.tmp on %1 eikä tavallinen tiedosto")
            .arg(kindNoun(o.kind));
    case Problem::FolderNotWritable:
        return QStringLiteral("kansioon %1 ei ole kirjoitusoikeutta").arg(o.folder);
    case Problem::WriteFailed:
        return reason(o.error);
    case Problem::NotFlushed:
        return QStringLiteral("levy ei vahvistanut tallennusta (%1)").arg(reason(o.error));
    }
    return {};
}

// The damaged file kept aside, with the table that was or was not written.
QString keptText(const Top5Store::Outcome& o)
{
    const QString first = kCannotRead.arg(o.damage) + QStringLiteral("\n\n");
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
    if (o.problem == Problem::NotFlushed)
        return QStringLiteral("Taulukko kirjoitettiin tiedostoon TOP5.dat, mutta levy ei vahvistanut tallennusta "
                              "(%1): se ei ehkä säily, jos kone sammuu nyt.")
            .arg(reason(o.error));
    if (o.problem == Problem::None)
        return o.keptAs.isEmpty() ? QString() : keptText(o);

    if (o.action == Action::Clear)
        return notSaved(o) + QStringLiteral("\n\nTOP5-taulukkoa ei tyhjennetty.");
    if (o.action == Action::Save)
        return notSaved(o) +
               QStringLiteral("\n\nUusia tuloksia ei ollut, joten mitään ei menetetty; ikkuna suljetaan.");

    // A load: the default table is shown in the real one's place.
    if (!o.keptAs.isEmpty())
        return keptText(o) + QStringLiteral("\n\n") + kPlayOn;
    if (!o.damage.isEmpty())
        return QStringLiteral("TOP5-taulukkoa ei voitu lukea tiedostosta TOP5.dat: %1, eikä siitä voitu tehdä "
                              "varmuuskopiota: %2.\n\n")
                   .arg(o.damage, o.problem != Problem::NotKept ? why(o)
                                  : o.error != 0               ? reason(o.error)
                                                               : allBackupsTaken()) +
               kNotWrittenOver;
    switch (o.problem) {
    case Problem::NotAFile:
        return kCannotRead.arg(kindText(o.kind)) +
               QStringLiteral("\n\nPeli ei lue sitä, ei kirjoita siihen eikä siirrä sitä. ") + kPlayOn;
    case Problem::ReadFailed:
        return kCannotRead.arg(QStringLiteral("tiedoston lukeminen epäonnistui (%1)").arg(reason(o.error))) +
               QStringLiteral("\n\n") + kNotWrittenOver;
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

QString cause(const Top5Store::Outcome& o)
{
    return QStringLiteral("%1 %2 %3 %4").arg(int(o.problem)).arg(int(o.kind)).arg(o.error).arg(o.keptAs);
}

QString reason(int error)
{
    switch (error) {
    case EIO:
        return QStringLiteral("levyn luku- tai kirjoitusvirhe");
    case ENOSPC:
        return QStringLiteral("levylle ei voitu kirjoittaa (levy voi olla täynnä)");
#ifdef EDQUOT
    case EDQUOT:
        return QStringLiteral("levytilakiintiösi on täynnä");
#endif
    case EFBIG:
        return QStringLiteral("tiedosto olisi liian suuri");
    case EROFS:
        return QStringLiteral("levy on vain luettavissa");
    case EACCES:
        return QStringLiteral("käyttöoikeus puuttuu");
    case EPERM:
        return QStringLiteral("käyttöjärjestelmä ei salli toimintoa");
    case EEXIST:
        return QStringLiteral("nimellä on jo jotain");
    case ENOSYS:
        return QStringLiteral("järjestelmä ei tue tarvittavaa toimintoa");
    case EINVAL:
        return QStringLiteral("tiedostojärjestelmä ei hyväksy toimintoa");
    case ENOTSUP:
        return QStringLiteral("tiedostojärjestelmä ei tue toimintoa");
    case EBUSY:
        return QStringLiteral("tiedosto tai levy on varattu");
    case ENOENT:
        return QStringLiteral("tiedostoa tai kansiota ei löydy");
    case ENOTDIR:
        return QStringLiteral("polun osa ei ole kansio");
    case EISDIR:
        return QStringLiteral("nimellä on kansio");
    case ELOOP:
        return QStringLiteral("nimellä on symbolinen linkki");
    case ENAMETOOLONG:
        return QStringLiteral("polku on liian pitkä");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("avoimia tiedostoja on liikaa");
    case ENOMEM:
        return QStringLiteral("muisti loppui");
    case EAGAIN:
        return QStringLiteral("resurssi on tilapäisesti varattu");
    case ETXTBSY:
        return QStringLiteral("toinen ohjelma käyttää tiedostoa");
#ifdef ESTALE
    case ESTALE:
        return QStringLiteral("verkkolevyn tiedostokahva on vanhentunut");
#endif
    case EXDEV:
        return QStringLiteral("tiedostoa ei voi siirtää toiselle levylle");
    case EINTR:
        return QStringLiteral("toiminto keskeytyi");
    default:
        return QStringLiteral("järjestelmävirhe numero %1").arg(error);
    }
}

} // namespace top5messages
