#include "top5/sijoitus.h"

#include "desktop/accessibility.h"
#include "platform/dialogs.h"
#include "desktop/fixedsize.h"
#include "desktop/fonts.h"
#include "desktop/programicon.h"
#include "desktop/windowinstance.h"
#include "top5/tiedot.h"
#include "ui_sijoitus.h"

#include <QCloseEvent>


Sijoitus::Sijoitus(Tiedot& tiedot, Dialogs& dialogs, WindowInstance<Sijoitus>& instance)
    : ui_(std::make_unique<Ui::Sijoitus>()), tiedot_(tiedot), dialogs_(dialogs), instance_(instance)
{
    // Built on a plain QWidget, it would be read as an unnamed pane.
    announceAsWindow(*this);
    ui_->setupUi(this);
    setWindowIcon(programIcon());
    setPointSizes({this}, 8.25);
    setPointSizes({ui_->close, ui_->Label16, ui_->pisteett, ui_->tila1, ui_->tila2, ui_->tila3,
                   ui_->tila4, ui_->tila5},
                  9.75);
    setPointSizes({ui_->top5}, 15.75);
    fitCaptions(*this);

    names_ = {ui_->sijoitus1, ui_->sijoitus2, ui_->sijoitus3, ui_->sijoitus4, ui_->sijoitus5};
    scores_ = {ui_->pisteet1, ui_->pisteet2, ui_->pisteet3, ui_->pisteet4, ui_->pisteet5};
    // Names are shown exactly as typed, never as rich text.
    for (QLabel* l : names_)
        l->setTextFormat(Qt::PlainText);

    connect(ui_->clear, &QPushButton::clicked, this, &Sijoitus::clearClicked);
    connect(ui_->close, &QPushButton::clicked, this, &Sijoitus::closeClicked);

    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(minimumSize());
    keepFixedSize(this);
}

Sijoitus::~Sijoitus() = default;

QLabel& Sijoitus::pisteett() const
{
    return *ui_->pisteett;
}

void Sijoitus::load()
{
    tiedot_.LataaTop5();
}

void Sijoitus::clearClicked()
{
    const int answer = dialogs_.msgBox(QStringLiteral("Haluatko varmasti tyhjentää TOP5:n?"),
                                       Dialogs::Buttons::OkCancel, QStringLiteral("Varoitus"));
    if (answer != Dialogs::Ok)
        return;
    // A default table that could not be written leaves everything as it
    // was, and the player has been told why once.
    if (tiedot_.OletusTop5())
        tiedot_.LataaTop5();
}

void Sijoitus::closeClicked()
{
    saveAndUnload();
}

bool Sijoitus::saveAndUnload()
{
    switch (tiedot_.TallennaTop5()) {
    case Tiedot::SaveResult::Saved:
        break;
    case Tiedot::SaveResult::KeepOpen:
        return false; // the player was told why; the table stays on screen to be saved again
    case Tiedot::SaveResult::CloseUnsaved:
        tiedot_.forgetNewScores();
        break;
    }
    instance_.unload();
    return true;
}

void Sijoitus::closeEvent(QCloseEvent* event)
{
    // The title bar's close control does what "Sulje" does, so that a new
    // high score is never lost by closing the window the ordinary way.
    if (saveAndUnload())
        event->accept();
    else
        event->ignore();
}
