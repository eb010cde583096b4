// The icons and the desktop entry the three windows and the dialogs belong
// to: every window and dialog carries the program icon, sharp at every
// scale, and the program names the desktop entry it installs.

#include "about/frmabout.h"
#include "desktop/application.h"
#include "app/program.h"
#include "game/vikkelo.h"
#include "platform/qtdialogs.h"
#include "support/modal.h"
#include "support/programtest.h"
#include "top5/sijoitus.h"

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QtTest>

class TestIcons : public ProgramTest {
    Q_OBJECT

private slots:
    void init() { startOnScreen(); }

    void cleanup() { endAll(); }

    // Catches a window whose icon has only the 16 and 32 pixel images, which
    // a scaled screen blows up blurred (up to 128 px: a 32 px icon at 400 %).
    void everyWindowCarriesTheIconAtEverySize()
    {
        program_->sijoitus().show();
        program_->frmAbout().show();
        for (QWidget* w : {static_cast<QWidget*>(&board()),
                           static_cast<QWidget*>(&program_->sijoitus().get()),
                           static_cast<QWidget*>(&program_->frmAbout().get())}) {
            const QList<QSize> sizes = w->windowIcon().availableSizes();
            for (int s : {16, 32, 48, 64, 128})
                QVERIFY2(sizes.contains(QSize(s, s)), qPrintable(w->objectName() + QString::number(s)));
        }
        // The About window's picture is drawn for the screen it is on.
        auto* pic = program_->frmAbout().get().findChild<QLabel*>("picIcon");
        QCOMPARE(pic->pixmap().deviceIndependentSize(), QSizeF(32, 32));
    }


    // Catches a program that names a desktop entry other than the one it
    // installs (its windows would lose their menu entry and icon), and
    // dialogs that carry a generic icon instead of the program's.
    void theDesktopKnowsTheProgramAndItsIcon()
    {
        // The windows' set-up comes with it, here the fonts that stand in for the forms'.
        QFont::removeSubstitutions(QStringLiteral("MS Sans Serif"));
        setUpApplication();
        QVERIFY(!QFont::substitutes(QStringLiteral("MS Sans Serif")).isEmpty());
        const QStringList entries = QDir(QStringLiteral(VIKKELO_DIST)).entryList({"*.desktop"});
        QCOMPARE(entries.size(), 1);
        QCOMPARE(QGuiApplication::desktopFileName() + QStringLiteral(".desktop"), entries.first());

        QtDialogs dialogs;
        QList<QSize> sizes;
        whenOpen([&sizes](QWidget& box) {
            sizes = box.windowIcon().availableSizes();
            QTest::keyClick(&box, Qt::Key_Escape);
        });
        dialogs.msgBox(QStringLiteral("?"), Dialogs::Buttons::Ok);
        for (int size : {16, 32, 48, 64, 128})
            QVERIFY2(sizes.contains(QSize(size, size)), qPrintable(QString::number(size)));
    }
};

QTEST_MAIN(TestIcons)
#include "tst_icons.moc"
