#include "top5/tiedot.h"

#include "game/program.h"
#include "game/vikkelo.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "top5/ranking.h"
#include "top5/sijoitus.h"
#include "top5/top5file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QSaveFile>

const QString Tiedot::kFileName = QStringLiteral("TOP5.dat");
const QString Tiedot::kBackupName = QStringLiteral("TOP5.dat.bak");

namespace {

// Why the file cannot be written, as the player can act on it; empty when
// nothing is seen to be in the way.
QString obstacle()
{
    const QFileInfo target(Tiedot::kFileName);
    if (target.isDir())
        return QStringLiteral("samassa kansiossa on kansio nimeltä TOP5.dat");
    if (target.exists() && !mayWrite(Tiedot::kFileName))
        return QStringLiteral("tiedosto TOP5.dat on kirjoitussuojattu");
    if (!mayWrite(QDir::currentPath()))
        return QStringLiteral("kansioon %1 ei ole kirjoitusoikeutta")
            .arg(QDir::toNativeSeparators(QDir::currentPath()));
    return {};
}

} // namespace

Tiedot::Tiedot(Program& program) : program_(program) {}

void Tiedot::LataaTop5()
{
    QFile file(kFileName);
    top5file::Fields read;
    if (file.open(QIODevice::ReadOnly)) {
        // Only the start of the file can hold ten good fields; a huge or
        // hostile file is never read whole.
        const QByteArray bytes = file.read(top5file::kMaxReadBytes);
        const bool complete = file.atEnd() || bytes.size() < top5file::kMaxReadBytes;
        read = top5file::parseFields(bytes, complete);
    }
    file.close();

    if (!read.ok) {
        const bool existed = QFileInfo::exists(kFileName);
        if (!existed) {
            OletusTop5();
            return;
        }
        if (!keepDamagedFile())
            return;
        if (OletusTop5()) {
            program_.platform().dialogs.msgBox(
                QStringLiteral("TOP5-taulukkoa ei voitu lukea tiedostosta TOP5.dat: %1.\n\n"
                               "Tilalle kirjoitettiin oletustaulukko. Vanha tiedosto on tallessa "
                               "nimellä TOP5.dat.bak.")
                    .arg(read.problem.isEmpty() ? QStringLiteral("tiedostoa ei voitu avata")
                                                : read.problem),
                Dialogs::Buttons::Ok);
        }
        return;
    }

    // The first touch of a label may create the ranking window, whose own
    // load runs this routine once more; both set the same ten captions.
    Sijoitus& table = program_.sijoitus().get();
    for (int k = 1; k <= top5file::kPlaces; ++k)
        table.sijoitus(k).setText(read.fields[2 * (k - 1)]);
    for (int k = 1; k <= top5file::kPlaces; ++k)
        table.pisteet(k).setText(top5file::numberText(top5file::leadingNumber(read.fields[2 * k - 1])));
}

bool Tiedot::keepDamagedFile()
{
    // A folder of that name is no table of ours: leave it, and the default
    // write that follows reports why it cannot be made.
    if (QFileInfo(kFileName).isDir())
        return true;
    QString obstacle;
    if (QFileInfo::exists(kBackupName) && !QFile::remove(kBackupName))
        obstacle = QStringLiteral("vanhaa tiedostoa TOP5.dat.bak ei voitu poistaa");
    else if (!QFile::rename(kFileName, kBackupName))
        obstacle = QStringLiteral("tiedostoa ei voitu nimetä uudelleen");
    if (obstacle.isEmpty())
        return true;
    program_.platform().dialogs.msgBox(
        QStringLiteral("TOP5-taulukkoa ei voitu lukea tiedostosta TOP5.dat, eikä siitä voitu tehdä "
                       "varmuuskopiota TOP5.dat.bak: %1.\n\nTiedosto TOP5.dat jätettiin ennalleen.")
            .arg(obstacle),
        Dialogs::Buttons::Ok);
    return false;
}

bool Tiedot::TallennaTop5()
{
    Sijoitus& table = program_.sijoitus().get();
    std::array<QString, top5file::kPlaces> names;
    std::array<QString, top5file::kPlaces> scores;
    for (int k = 1; k <= top5file::kPlaces; ++k) {
        names[k - 1] = table.sijoitus(k).text();
        scores[k - 1] = table.pisteet(k).text();
    }
    return replaceFile(top5file::tableFile(names, scores),
                       QStringLiteral("Taulukko on yhä sijoitusikkunassa. Korjaa syy ja paina "
                                      "\"Sulje\" uudelleen."));
}

bool Tiedot::OletusTop5()
{
    return replaceFile(top5file::defaultFile(),
                       QStringLiteral("Peliä voi pelata, mutta tuloksia ei voi tallentaa ennen "
                                      "kuin syy on korjattu."));
}

bool Tiedot::replaceFile(const QByteArray& bytes, const QString& consequence)
{
    // A read-only TOP5.dat stays as it is, even where the folder would let
    // it be replaced.
    QString reason = obstacle();
    if (reason.isEmpty()) {
        QSaveFile file(kFileName);
        // Unbuffered, so that a failed write (a full disk) is seen by write()
        // and commit(): Qt's buffered save reports success for a write that
        // only failed in its final flush, and then puts an empty file in place.
        if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(bytes) == bytes.size() &&
            file.commit())
            return true;
        reason = obstacle();
        if (reason.isEmpty()) {
            // Qt reports a full disk (ENOSPC) as a ResourceError.
            const QFileDevice::FileError error = file.error();
            reason = error == QFileDevice::WriteError || error == QFileDevice::ResizeError ||
                             error == QFileDevice::ResourceError
                         ? QStringLiteral("levylle ei voitu kirjoittaa (levy voi olla täynnä)")
                         : QStringLiteral("tiedostoa ei voitu kirjoittaa");
        }
        if (!file.errorString().isEmpty())
            reason += QStringLiteral(" (%1)").arg(file.errorString());
        file.cancelWriting();
    }
    program_.platform().dialogs.msgBox(
        QStringLiteral("TOP5-taulukkoa ei voitu tallentaa tiedostoon TOP5.dat: %1.\n\n%2")
            .arg(reason, consequence),
        Dialogs::Buttons::Ok);
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
        break;
    }

    Sijoitus& table = program_.sijoitus().get();
    const double score = top5file::leadingNumber(board.pisteet().text());
    std::array<double, top5file::kPlaces> scores{};
    for (int k = 1; k <= top5file::kPlaces; ++k)
        scores[k - 1] = top5file::leadingNumber(table.pisteet(k).text());
    const int place = ranking::insertionPlace(scores, score);
    if (place > 0) {
        // Bottom first; the old fifth entry drops out.
        for (int k = top5file::kPlaces; k > place; --k)
            table.pisteet(k).setText(top5file::numberText(scores[k - 2]));
        table.pisteet(place).setText(top5file::numberText(score));
        for (int k = top5file::kPlaces; k > place; --k)
            table.sijoitus(k).setText(table.sijoitus(k - 1).text());
        table.sijoitus(place).setText(nimi);
    }

    program_.sijoitus().show();
    board.Lopetus();
}
