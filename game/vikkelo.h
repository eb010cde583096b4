#pragma once

#include "game/round.h"

#include <QMainWindow>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>

class Lamp;
class Process;
class QLabel;
class Tiedot;
namespace Ui { class Vikkelo; }

// The main window and game board: four lamps, the score, the start/interrupt
// and quit buttons, the timer that drives the lights, and the menu that
// opens the program's other windows. The round's rules live in Round; this
// window forwards its events there and shows the result.
class Vikkelo : public QMainWindow {
    Q_OBJECT

public:
    // The round draws on timeOfDay and random; quitting ends the process. The
    // menu opens the program's other windows through showSijoitus and showFrmAbout.
    Vikkelo(TimeOfDay& timeOfDay, Random& random, Process& process, Tiedot& tiedot,
            std::function<void()> showSijoitus, std::function<void()> showFrmAbout);
    ~Vikkelo() override;

    // The start-up step, run once before the window is first shown.
    void load();

    // Resets the board for a new round. Sets the score back to "0", so a
    // caller that needs the round's score reads it first.
    void Lopetus();

    const Round& round() const { return round_; }
    Round& round() { return round_; }
    // The score label; its text is the round's score.
    QLabel& pisteet() const;
    QTimer& Timer1() { return timer1_; }
    Lamp& painike(int lamp) const { return *lamps_[lamp - 1]; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void uusipeli();
    void lopeta();
    void tick();
    void press(int lamp);
    void showBoard();
    void setStartCaptions(const QString& caption);
    void setScore(const QString& score);

    std::unique_ptr<Ui::Vikkelo> ui_;
    Process& process_;
    Tiedot& tiedot_;
    Round round_;
    QTimer timer1_;
    std::array<Lamp*, Round::kLamps> lamps_{};
};
