// The real message and input boxes: catches English or translated button
// captions, wrong answer codes, a default button other than the first, an
// icon, a missing program title, or keys typed before a box was on screen
// that reach it.

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
#include <utility>

namespace {

// Runs `act` on the modal box once it is open.
void whenOpen(std::function<void(QDialog&)> act)
{
    QTimer::singleShot(0, [act] {
        auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(box);
        // Keys reach a box only once it has been on screen for a moment.
        QVERIFY(QTest::qWaitForWindowExposed(box));
        QTest::qWait(350);
        act(*box);
    });
}

// Runs `act` on the next box as it is shown, before it is on the screen.
class WhenShown : public QObject {
public:
    explicit WhenShown(std::function<void(QDialog&)> act) : act_(std::move(act)) { qApp->installEventFilter(this); }
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<QDialog*>(object) && act_)
            std::exchange(act_, nullptr)(*static_cast<QDialog*>(object));
        return false;
    }
    std::function<void(QDialog&)> act_;
};

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

        // Keys typed in the rush of a round, before the box is on screen,
        // neither type into it nor answer it; keys after that do.
        WhenShown early([](QDialog& box) {
            QTest::keyClicks(box.findChild<QLineEdit*>(), QStringLiteral("21 "));
            QTest::keyClick(box.findChild<QLineEdit*>(), Qt::Key_Return);
        });
        whenOpen([](QDialog& box) {
            QTest::keyClick(box.findChild<QLineEdit*>(), Qt::Key_End);
            QTest::keyClick(box.findChild<QLineEdit*>(), Qt::Key_X);
            QTest::keyClick(box.findChild<QLineEdit*>(), Qt::Key_Return);
        });
        QCOMPARE(dialogs.inputBox("?", "Onneksi olkoon!", "Edellinen"), QStringLiteral("Edellinenx"));
        // Nor does a key just as the box comes on screen, before anyone can have read it.
        QTimer::singleShot(0, [] {
            auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(box && QTest::qWaitForWindowExposed(box));
            QTest::qWait(50);
            QTest::keyClick(buttonCaptioned(*box, "Kyllä"), Qt::Key_Space);
            QTest::qWait(350);
            QVERIFY(box->isVisible());
            buttonCaptioned(*box, "Ei")->click();
        });
        QCOMPARE(dialogs.msgBox("?", Dialogs::Buttons::YesNo, QStringLiteral("Pisteet")), int(Dialogs::No));

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
