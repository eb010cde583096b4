#include "platform/qtdialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>

namespace {

// Button captions as a Finnish desktop shows them. Qt's own translation says
// "Peru" for Cancel, and the player's locale must not change the game's texts.
const QString kOk = QStringLiteral("OK");
const QString kCancel = QStringLiteral("Peruuta");
const QString kYes = QStringLiteral("Kyllä");
const QString kNo = QStringLiteral("Ei");

// The box that ends a round opens while the player is still typing: the keys
// after the losing one are on their way, and a stray digit, Space or Enter
// must neither type into the box nor answer it. Every key is dropped until
// the box has been on screen for longer than anyone takes to see it, and so
// is the rest of a key whose press was (its repeats and its release).
class BoxWatch : public QObject {
public:
    explicit BoxWatch(QDialog& box) : box_(box) { qApp->installEventFilter(this); }

    // How often the box has been put on the screen.
    int shows() const { return shows_; }

    bool eventFilter(QObject* object, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (object == &box_ && type == QEvent::Show)
            ++shows_;
        // Painted means on screen: the window system has exposed it.
        if (object == &box_ && type == QEvent::Paint && !onScreen_.isValid())
            onScreen_.start();
        if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool seen = onScreen_.isValid() && onScreen_.elapsed() >= kSeen;
        if (seen && !dropped_.contains(key->key()))
            return false;
        if (type == QEvent::KeyPress)
            dropped_.insert(key->key());
        else if (type == QEvent::KeyRelease && !key->isAutoRepeat())
            dropped_.remove(key->key());
        return true;
    }

    // Milliseconds on screen before a key can be meant for the box: no one
    // sees a box and answers it faster.
    static constexpr int kSeen = 300;

private:
    QDialog& box_;
    int shows_ = 0;
    QElapsedTimer onScreen_;
    QSet<int> dropped_;
};

// Runs the box until it is answered. The maximize guard takes a box off the
// screen and puts it straight back, which ends the box's loop unanswered.
int answer(QDialog& box)
{
    BoxWatch watch(box);
    int result = box.exec();
    for (int shown = 1; box.isVisible() && watch.shows() > shown; ++shown)
        result = box.exec();
    return result;
}

} // namespace

int QtDialogs::msgBox(const QString& text, Buttons buttons, const QString& title)
{
    QMessageBox box;
    box.setWindowTitle(title.isEmpty() ? kProgramTitle : title);
    // Texts break their lines with CR LF, which a Qt label would show as a box.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box.setText(shown);
    box.setTextFormat(Qt::PlainText);
    box.setIcon(QMessageBox::NoIcon);

    struct Choice {
        QString caption;
        QMessageBox::ButtonRole role;
        int answer;
    };
    QList<Choice> choices;
    switch (buttons) {
    case Buttons::Ok:
        choices = {{kOk, QMessageBox::AcceptRole, Ok}};
        break;
    case Buttons::OkCancel:
        choices = {{kOk, QMessageBox::AcceptRole, Ok}, {kCancel, QMessageBox::RejectRole, Cancel}};
        break;
    case Buttons::YesNo:
    case Buttons::YesNoDefaultNo:
        choices = {{kYes, QMessageBox::YesRole, Yes}, {kNo, QMessageBox::NoRole, No}};
        break;
    }

    QList<QPushButton*> made;
    for (const Choice& c : choices)
        made.append(box.addButton(c.caption, c.role));
    box.setDefaultButton(buttons == Buttons::YesNoDefaultNo ? made.last() : made.first());
    // Esc answers with the last button (Cancel, No), or OK when it is alone.
    box.setEscapeButton(made.last());

    answer(box);
    const int pressed = made.indexOf(static_cast<QPushButton*>(box.clickedButton()));
    return pressed >= 0 ? choices[pressed].answer : choices.last().answer;
}

QString QtDialogs::inputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    QInputDialog box;
    box.setInputMode(QInputDialog::TextInput);
    box.setWindowTitle(title.isEmpty() ? kProgramTitle : title);
    box.setLabelText(prompt);
    box.setTextValue(defaultText);
    box.setOkButtonText(kOk);
    box.setCancelButtonText(kCancel);
    if (answer(box) != QDialog::Accepted)
        return {};
    return box.textValue();
}
