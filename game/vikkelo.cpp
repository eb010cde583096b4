#include "game/vikkelo.h"

#include "game/lamp.h"
#include "desktop/accessibility.h"
#include "desktop/fixedsize.h"
#include "desktop/fonts.h"
#include "platform/process.h"
#include "platform/termination.h"
#include "desktop/programicon.h"
#include "top5/tiedot.h"
#include "ui_vikkelo.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QSessionManager>

namespace {

// Lamp colours, 0x00BBGGRR: red, yellow, green and blue, bright and dark.
constexpr std::array<quint32, Round::kLamps> kBright = {255, 65535, 65280, 16711680};
constexpr std::array<quint32, Round::kLamps> kDark = {128, 32896, 32768, 8388608};
// The colours as a screen reader names the lamps.
const std::array<const char16_t*, Round::kLamps> kColourNames = {u"punainen", u"keltainen", u"vihreä",
                                                                  u"sininen"};

} // namespace

Vikkelo::Vikkelo(TimeOfDay& timeOfDay, Random& random, Process& process, Tiedot& tiedot,
                 std::function<void()> showSijoitus, std::function<void()> showFrmAbout)
    : ui_(std::make_unique<Ui::Vikkelo>()),
      process_(process),
      tiedot_(tiedot),
      round_(timeOfDay, random)
{
    ui_->setupUi(this);
    setWindowIcon(programIcon());
    setPointSizes({this, ui_->pisteet, ui_->Label1}, 8.25);
    fitCaptions(*this);

    lamps_ = {ui_->painike1, ui_->painike2, ui_->painike3, ui_->painike4};
    for (int n = 1; n <= Round::kLamps; ++n) {
        Lamp* lamp = lamps_[n - 1];
        lamp->setColours(kBright[n - 1], kDark[n - 1]);
        lamp->setColourName(QString::fromUtf16(kColourNames[n - 1]));
        connect(lamp, &Lamp::pressedDown, this, [this, n] { press(n); });
    }

    timer1_.setObjectName(QStringLiteral("Timer1"));
    // A reaction game lives on its timing: the coarse default timer may be 5 % late.
    timer1_.setTimerType(Qt::PreciseTimer);
    timer1_.setInterval(Round::kStartPeriod);
    connect(&timer1_, &QTimer::timeout, this, &Vikkelo::tick);

    connect(ui_->uusipeli, &QPushButton::clicked, this, &Vikkelo::uusipeli);
    connect(ui_->menuUusipeli, &QAction::triggered, this, &Vikkelo::uusipeli);
    connect(ui_->lopeta, &QPushButton::clicked, this, &Vikkelo::lopeta);
    connect(ui_->menuLopeta, &QAction::triggered, this, &Vikkelo::lopeta);
    connect(ui_->menusijoitus, &QAction::triggered, this, std::move(showSijoitus));
    connect(ui_->menuTietoja, &QAction::triggered, this, std::move(showFrmAbout));
    // A logout or a shutdown is a quit: new scores are saved first.
    connect(&Termination::instance(), &Termination::requested, this, [this] {
        tiedot_.saveBeforeQuit(Tiedot::Asking::NoOne);
        process_.endProgram();
    });
#if QT_CONFIG(sessionmanager)
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& session) {
        // The session ends the program itself once every program is ready;
        // a player who would lose scores may still call the logout off.
        if (!session.allowsInteraction())
            tiedot_.saveBeforeQuit(Tiedot::Asking::NoOne);
        else if (!tiedot_.saveBeforeQuit())
            session.cancel();
        session.release();
    });
#endif

    // Fixed size: the client area under the menu bar is the design's.
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(ui_->centralwidget->minimumSize() + QSize(0, ui_->menubar->sizeHint().height()));
    keepFixedSize(this);
}

Vikkelo::~Vikkelo() = default;

QLabel& Vikkelo::pisteet() const
{
    return *ui_->pisteet;
}

void Vikkelo::load()
{
    tiedot_.LataaTop5();
    round_.startUp();
    showBoard();
}

void Vikkelo::uusipeli()
{
    // A lost round is over only once its end has asked for the name and
    // reset the board: an interrupt that reaches the button meanwhile (a
    // screen reader's Press goes past the modal box) would take the score.
    if (round_.lost())
        return;
    const bool started = round_.toggle();
    setStartCaptions(started ? QStringLiteral("Keskeytä") : QStringLiteral("Uusi peli"));
    showBoard();
}

void Vikkelo::Lopetus()
{
    round_.lopetus();
    setStartCaptions(QStringLiteral("Uusi peli"));
    showBoard();
}

void Vikkelo::lopeta()
{
    // New high scores still in the ranking window are saved first, as
    // "Sulje" would; with nothing new the program ends at once.
    if (tiedot_.saveBeforeQuit())
        process_.endProgram();
}

void Vikkelo::closeEvent(QCloseEvent* event)
{
    // Closing the board ends the program as "Lopeta" does; no hidden window
    // may keep the process alive.
    if (!tiedot_.saveBeforeQuit()) {
        event->ignore();
        return;
    }
    event->accept();
    process_.endProgram();
}

void Vikkelo::keyPressEvent(QKeyEvent* event)
{
    // The digit keys 1 to 4 press the lamp of that digit, for players who
    // cannot aim a mouse quickly. Outside a round the lamps take no press.
    // Shift is allowed: some keyboards need it for their digits.
    const int lamp = event->key() - Qt::Key_0;
    if (lamp >= 1 && lamp <= Round::kLamps &&
        !(event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier))) {
        event->accept();
        if (!event->isAutoRepeat())
            lamps_[lamp - 1]->press();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void Vikkelo::tick()
{
    round_.tick();
    // A new period takes effect from this tick on; presses do not restart the
    // countdown to the next lamp.
    if (timer1_.interval() != round_.period())
        timer1_.setInterval(round_.period());
    for (int n = 1; n <= Round::kLamps; ++n)
        lamps_[n - 1]->setLit(round_.lit(n));
    // A screen reader tells the lamp that lights wherever the focus is; not
    // behind the name prompt, where the player is typing.
    if (!round_.lost())
        announce(*this, QString::fromUtf16(kColourNames[round_.sama() - 1]));
}

void Vikkelo::press(int lamp)
{
    switch (round_.press(lamp)) {
    case Round::Press::NotJudged:
    case Round::Press::Over:
        break;
    case Round::Press::Correct:
        setScore(QString::number(round_.score()));
        announce(*this, ui_->pisteet->accessibleName());
        break;
    case Round::Press::Failed:
        tiedot_.endOfGame();
        break;
    }
}

void Vikkelo::showBoard()
{
    for (int n = 1; n <= Round::kLamps; ++n) {
        Lamp* lamp = lamps_[n - 1];
        lamp->setLit(round_.lit(n));
        lamp->setEnabled(round_.lampsEnabled());
    }
    setScore(QString::number(round_.score()));
    if (round_.timerOn()) {
        if (!timer1_.isActive())
            timer1_.start(round_.period());
    } else {
        timer1_.stop();
        timer1_.setInterval(round_.period());
    }
}

void Vikkelo::setScore(const QString& score)
{
    if (ui_->pisteet->text() == score && !ui_->pisteet->accessibleName().isEmpty())
        return;
    ui_->pisteet->setText(score);
    // The name carries its meaning with the number, and changing it is how a
    // screen reader hears of every point scored.
    ui_->pisteet->setAccessibleName(QStringLiteral("Pisteet: ") + score);
}

void Vikkelo::setStartCaptions(const QString& caption)
{
    ui_->uusipeli->setText(caption);
    ui_->menuUusipeli->setText(caption);
}
