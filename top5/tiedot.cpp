#include "top5/tiedot.h"

#include "desktop/windowinstance.h"
#include "top5/board.h"
#include "top5/ranking.h"
#include "top5/sijoitus.h"
#include "top5/top5file.h"
#include "top5/top5messages.h"

#include <QLabel>

#include <algorithm>

Tiedot::Tiedot(Dialogs& dialogs, WindowInstance<Sijoitus>& sijoitus, Board& board)
    : dialogs_(dialogs), sijoitus_(sijoitus), board_(board)
{
}

void Tiedot::tell(const Top5Store::Outcome& outcome)
{
    const QString text = top5messages::text(outcome);
    if (text.isEmpty())
        return;
    // Each problem a load finds is told once; the window made later finds
    // the same problem and need not say it again.
    if (outcome.action == Top5Store::Action::Load && outcome.keptAs.isEmpty()) {
        const top5messages::Cause cause = top5messages::cause(outcome);
        if (std::find(told_.begin(), told_.end(), cause) != told_.end())
            return;
        told_.push_back(cause);
    }
    dialogs_.msgBox(text, Dialogs::Buttons::Ok);
}

bool Tiedot::windowOpen()
{
    return sijoitus_.exists();
}

Top5Table Tiedot::labels()
{
    Sijoitus& window = sijoitus_.get();
    Top5Table table;
    for (int k = 1; k <= Top5Table::kPlaces; ++k) {
        table.names[k - 1] = window.sijoitus(k).text();
        table.points[k - 1] = top5file::leadingNumber(window.pisteet(k).text());
    }
    return table;
}

void Tiedot::setLabels(const Top5Table& table)
{
    Sijoitus& window = sijoitus_.get();
    for (int k = 1; k <= Top5Table::kPlaces; ++k)
        window.sijoitus(k).setText(table.names[k - 1]);
    for (int k = 1; k <= Top5Table::kPlaces; ++k)
        window.pisteet(k).setText(table.score(k));
}

void Tiedot::show(const Top5Store::Outcome& outcome)
{
    if (outcome.shows == Top5Store::Shows::Table ||
        (outcome.shows == Top5Store::Shows::TableIfOpen && windowOpen()))
        setLabels(outcome.table);
}

void Tiedot::LataaTop5()
{
    const Top5Store::Outcome outcome = store_.load();
    tell(outcome);
    // The first touch of a label may create the ranking window, whose own
    // load runs this routine once more; both set the same ten captions.
    show(outcome);
}

Tiedot::SaveResult Tiedot::TallennaTop5()
{
    const Top5Table shown = labels();
    const bool wouldLose = store_.wouldLose(shown);
    const Top5Store::Outcome outcome = store_.save(shown);
    show(outcome);
    if (outcome.saved()) {
        tell(outcome);
        return SaveResult::Saved;
    }
    if (!wouldLose) {
        tell(outcome);
        return SaveResult::CloseUnsaved;
    }
    const int answer =
        dialogs_.msgBox(top5messages::saveQuestion(outcome), Dialogs::Buttons::YesNoDefaultNo);
    return answer == Dialogs::Yes ? SaveResult::CloseUnsaved : SaveResult::KeepOpen;
}

bool Tiedot::OletusTop5()
{
    const Top5Store::Outcome outcome = store_.clear();
    tell(outcome);
    return outcome.saved();
}

bool Tiedot::saveBeforeQuit(Asking asking)
{
    if (!windowOpen())
        return true;
    const Top5Table shown = labels();
    if (!store_.wouldLose(shown))
        return true;
    const Top5Store::Outcome outcome = store_.save(shown);
    if (asking == Asking::NoOne)
        return true;
    show(outcome);
    if (outcome.saved()) {
        tell(outcome);
        return true;
    }
    return dialogs_.msgBox(top5messages::quitQuestion(outcome), Dialogs::Buttons::YesNoDefaultNo) ==
           Dialogs::Yes;
}

void Tiedot::endOfGame()
{
    // The first touch may create the ranking window, which loads the table.
    sijoitus_.get().pisteett().setText(board_.pisteet());

    Sijoitus& table = sijoitus_.get();
    const double fifth = top5file::leadingNumber(table.pisteet(5).text());
    const double score = top5file::leadingNumber(table.pisteett().text());
    if (ranking::qualifies(fifth, score)) {
        LisaaTop5();
        return;
    }

    board_.Lopetus();
    const int answer = dialogs_.msgBox(
        QStringLiteral("  Sait ") + sijoitus_.get().pisteett().text() +
            QStringLiteral("-pistettä.\r\nHaluatko nähdä sijoituksesi taulukossa?"),
        Dialogs::Buttons::YesNo, QStringLiteral("Pisteet"));
    board_.setT(answer);
    if (answer == Dialogs::Yes)
        sijoitus_.show();
}

void Tiedot::LisaaTop5()
{
    // The round's timer still runs behind the prompt; the reset comes last.
    for (;;) {
        const QString prompt = QStringLiteral("Onneksi olkoon. Pääsit TOP5-listalle pisteillä ") +
                               board_.pisteet() + u'!';
        nimi = dialogs_.inputBox(prompt, QStringLiteral("Onneksi olkoon!"), nimi);
        if (nimi.isEmpty() || nimi == QStringLiteral(" ")) {
            dialogs_.msgBox(QStringLiteral("Sinun täytyy kirjoittaa nimimerkkisi tai nimesi!"),
                            Dialogs::Buttons::Ok);
            continue;
        }
        if (ranking::visibleLength(nimi) > 17) {
            dialogs_.msgBox(
                QStringLiteral("Nimimerkkisi tai nimesi saa olla maksimissaan vain 17-merkkiä pitkä!"),
                Dialogs::Buttons::Ok);
            continue;
        }
        // Seventeen letters can carry any number of accents each; a name the
        // file cannot hold would make the whole table unloadable.
        if (!top5file::fitsInFile(nimi)) {
            dialogs_.msgBox(QStringLiteral("Nimimerkkisi tai nimesi on liian pitkä tallennettavaksi: siinä on "
                                           "liikaa tarkkeita tai erikoismerkkejä!"),
                            Dialogs::Buttons::Ok);
            continue;
        }
        break;
    }

    const double score = top5file::leadingNumber(board_.pisteet());
    Top5Table table = labels();
    table.enter(nimi, score);
    setLabels(table);
    store_.addNewScore(nimi, score);

    sijoitus_.show();
    board_.Lopetus();
}
