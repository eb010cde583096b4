#pragma once

#include "top5/top5table.h"

#include <QWidget>

#include <array>
#include <memory>

class Dialogs;
class QLabel;
class Tiedot;
template <class W> class WindowInstance;
namespace Ui { class Sijoitus; }

// The ranking window. While the program runs, the TOP5 table lives in the
// captions of its name labels sijoitus1..5 and score labels pisteet1..5;
// pisteett shows the score of the round that just ended, beside a fixed
// legend of score bands.
class Sijoitus : public QWidget {
    Q_OBJECT

public:
    // Closing the window unloads it from instance, the one that holds it.
    Sijoitus(Tiedot& tiedot, Dialogs& dialogs, WindowInstance<Sijoitus>& instance);
    ~Sijoitus() override;

    // The load handler: runs once each time the window is created.
    void load();

    QLabel& sijoitus(int place) const { return *names_[place - 1]; }
    QLabel& pisteet(int place) const { return *scores_[place - 1]; }
    QLabel& pisteett() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void clearClicked();
    void closeClicked();
    // Saves the table, then unloads the window; a failed save keeps it open.
    bool saveAndUnload();

    std::unique_ptr<Ui::Sijoitus> ui_;
    Tiedot& tiedot_;
    Dialogs& dialogs_;
    WindowInstance<Sijoitus>& instance_;
    std::array<QLabel*, Top5Table::kPlaces> names_{};
    std::array<QLabel*, Top5Table::kPlaces> scores_{};
};
