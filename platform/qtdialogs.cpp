#include "platform/qtdialogs.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

// Button captions as a Finnish desktop shows them. Qt's own translation says
// "Peru" for Cancel, and the player's locale must not change the game's texts.
const QString kOk = QStringLiteral("OK");
const QString kCancel = QStringLiteral("Peruuta");
const QString kYes = QStringLiteral("Kyllä");
const QString kNo = QStringLiteral("Ei");

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

    box.exec();
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
    if (box.exec() != QDialog::Accepted)
        return {};
    return box.textValue();
}
