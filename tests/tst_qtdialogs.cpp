// The real message and input boxes: catches English or translated button
// captions, wrong answer codes, a default button other than the first, an
// icon, or a missing program title.

#include "platform/qtdialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

// Runs `act` on the modal box once it is open.
void whenOpen(std::function<void(QDialog&)> act)
{
    QTimer::singleShot(0, [act] {
        auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(box);
        act(*box);
    });
}

QStringList captions(QDialog& box)
{
    QStringList l;
    for (QAbstractButton* b : box.findChild<QDialogButtonBox*>()->buttons())
        l << b->text();
    l.sort();
    return l;
}

QPushButton* buttonCaptioned(QDialog& box, const QString& caption)
{
    for (QPushButton* b : box.findChildren<QPushButton*>())
        if (b->text() == caption)
            return b;
    return nullptr;
}

} // namespace

class TestQtDialogs : public QObject {
    Q_OBJECT

private slots:
    void messageBoxesSpeakFinnishAndAnswerWithTheirCodes()
    {
        QtDialogs dialogs;
        const struct {
            Dialogs::Buttons buttons;
            QStringList captions; // sorted
            QString first;
            QString press;
            int answer;
        } cases[] = {
            {Dialogs::Buttons::Ok, {"OK"}, "OK", "OK", Dialogs::Ok},
            {Dialogs::Buttons::OkCancel, {"OK", "Peruuta"}, "OK", "Peruuta", Dialogs::Cancel},
            {Dialogs::Buttons::OkCancel, {"OK", "Peruuta"}, "OK", "OK", Dialogs::Ok},
            {Dialogs::Buttons::YesNo, {"Ei", "Kyllä"}, "Kyllä", "Kyllä", Dialogs::Yes},
            {Dialogs::Buttons::YesNo, {"Ei", "Kyllä"}, "Kyllä", "Ei", Dialogs::No},
        };
        for (const auto& c : cases) {
            bool checked = false;
            whenOpen([&](QDialog& box) {
                auto& message = static_cast<QMessageBox&>(box);
                QCOMPARE(captions(box), c.captions);
                QCOMPARE(message.defaultButton()->text(), c.first);
                QCOMPARE(message.icon(), QMessageBox::NoIcon);
                QCOMPARE(box.windowTitle(), QStringLiteral("Vikkelo"));
                // Lines end in CR LF in the program's texts; none may show as a box.
                QVERIFY(!message.text().contains(u'\r'));
                QVERIFY(message.text().contains(u'\n'));
                buttonCaptioned(box, c.press)->click();
                checked = true;
            });
            QCOMPARE(dialogs.msgBox(QStringLiteral("Rivi\r\nToinen"), c.buttons), c.answer);
            QVERIFY(checked);
        }

        // Esc answers Cancel or No; a title of its own replaces the program's.
        whenOpen([](QDialog& box) {
            QCOMPARE(box.windowTitle(), QStringLiteral("Pisteet"));
            QTest::keyClick(&box, Qt::Key_Escape);
        });
        QCOMPARE(dialogs.msgBox("?", Dialogs::Buttons::YesNo, QStringLiteral("Pisteet")), int(Dialogs::No));
    }

    void theInputBoxReturnsTheTextOrNothing()
    {
        QtDialogs dialogs;
        whenOpen([](QDialog& box) {
            QCOMPARE(box.windowTitle(), QStringLiteral("Onneksi olkoon!"));
            QCOMPARE(captions(box), QStringList({"OK", "Peruuta"}));
            QCOMPARE(box.findChild<QLabel*>()->text(), QStringLiteral("Kerro nimesi "));
            auto* edit = box.findChild<QLineEdit*>();
            QCOMPARE(edit->text(), QStringLiteral("Edellinen"));
            edit->setText(QStringLiteral("Äijä"));
            buttonCaptioned(box, "OK")->click();
        });
        QCOMPARE(dialogs.inputBox("Kerro nimesi ", "Onneksi olkoon!", "Edellinen"), QStringLiteral("Äijä"));

        whenOpen([](QDialog& box) {
            box.findChild<QLineEdit*>()->setText(QStringLiteral("Ei tallennu"));
            buttonCaptioned(box, "Peruuta")->click();
        });
        QCOMPARE(dialogs.inputBox("?", "Onneksi olkoon!", ""), QString());

        whenOpen([](QDialog& box) { box.close(); });
        QCOMPARE(dialogs.inputBox("?", "Onneksi olkoon!", "x"), QString());
    }
};

QTEST_MAIN(TestQtDialogs)
#include "tst_qtdialogs.moc"
