// What a screen reader finds in the three windows and the dialogs: menus that
// list their items, a name on every control that says what its caption
// shows, lamps that say their colour and whether they are lit, and a score
// whose name carries the number. (The change events themselves need a
// platform with an accessibility bridge; offscreen Qt has none, so they are
// checked by hand through AT-SPI, as the README tells.)

#include "about/frmabout.h"
#include "game/lamp.h"
#include "app/program.h"
#include "game/vikkelo.h"
#include "platform/qtdialogs.h"
#include "support/fakeplatform.h"
#include "support/modal.h"
#include "support/programtest.h"
#include "top5/sijoitus.h"

#include <QAccessible>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include <map>
#include <vector>

namespace {

QString nameOf(QObject* object)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    return iface ? iface->text(QAccessible::Name) : QStringLiteral("<no interface>");
}

// A caption as it is read: no access-key marks, runs of blanks as one.
QString spoken(QString caption)
{
    caption.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    caption.remove(u'&');
    caption.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return caption.simplified();
}

// Every interface under root, by the object it stands for.
void collect(QAccessibleInterface* iface, std::vector<QAccessibleInterface*>& out)
{
    out.push_back(iface);
    for (int i = 0; i < iface->childCount(); ++i)
        if (QAccessibleInterface* child = iface->child(i))
            collect(child, out);
}

} // namespace

class TestAccessibility : public ProgramTest {
    Q_OBJECT

private:
    // Walks the window as a screen reader does, checks that every widget in
    // it has a name, and returns the names by object name.
    std::map<QString, QString> namesIn(QWidget& window)
    {
        std::vector<QAccessibleInterface*> all;
        collect(QAccessible::queryAccessibleInterface(&window), all);
        std::map<QString, QString> names;
        for (QAccessibleInterface* iface : all) {
            QObject* o = iface->object();
            const QString name = iface->text(QAccessible::Name);
            if (o && o->isWidgetType())
                QTest::qVerify(!name.trimmed().isEmpty(), "named", qPrintable(o->objectName()),
                               __FILE__, __LINE__);
            if (o)
                names[o->objectName()] = name;
        }
        return names;
    }

    // Walks what a screen reader reaches from iface: every control a player
    // can operate has a role and a name, and wherever a control shows a
    // caption, its name contains that caption, so that a player who says
    // what they see is understood (a lamp's name adds its colour and state).
    void checkSpokenAsShown(QAccessibleInterface* iface, const QString& where)
    {
        const QAccessible::State state = iface->state();
        QObject* o = iface->object();
        // A closed menu and its items are still read; other hidden widgets
        // are not there.
        if (state.invisible && o && o->isWidgetType() && !qobject_cast<QMenu*>(o))
            return;
        const QString name = iface->text(QAccessible::Name);
        const QString what = where + QLatin1Char('/') + (o ? o->objectName() : QString()) +
                             QLatin1Char(' ') + name;
        const bool operable = state.focusable || iface->role() == QAccessible::MenuItem ||
                              iface->role() == QAccessible::PushButton ||
                              iface->role() == QAccessible::EditableText;
        if (operable) {
            QVERIFY2(iface->role() != QAccessible::NoRole, qPrintable(what));
            QVERIFY2(!name.trimmed().isEmpty(), qPrintable(what));
        }
        QString caption;
        if (auto* b = qobject_cast<QAbstractButton*>(o))
            caption = b->text();
        else if (auto* l = qobject_cast<QLabel*>(o))
            caption = l->text();
        else if (auto* a = qobject_cast<QAction*>(o))
            caption = a->text();
        else if (auto* m = qobject_cast<QMenu*>(o))
            caption = m->title();
        QVERIFY2(name.simplified().contains(spoken(caption)), qPrintable(what + " / " + caption));
        for (int i = 0; i < iface->childCount(); ++i)
            if (QAccessibleInterface* child = iface->child(i))
                checkSpokenAsShown(child, where);
    }

private slots:
    void init() { startOnScreen(); }

    void cleanup() { endAll(); }

    // Catches a control a screen reader reaches without a name, or with a
    // meaningless one ("KLIK", a bare "0", "&System Info..." with its mark).
    void everyControlHasAFinnishName()
    {
        auto main = namesIn(board());
        QCOMPARE(main["vikkelo"], QStringLiteral("Vikkelo v1.0"));
        QCOMPARE(main["painike1"], QStringLiteral("KLIK, punainen lamppu, ei pala"));
        QCOMPARE(main["painike2"], QStringLiteral("KLIK, keltainen lamppu, ei pala"));
        QCOMPARE(main["painike3"], QStringLiteral("KLIK, vihreä lamppu, ei pala"));
        QCOMPARE(main["painike4"], QStringLiteral("KLIK, sininen lamppu, ei pala"));
        QCOMPARE(main["pisteet"], QStringLiteral("Pisteet: 0"));
        QCOMPARE(main["uusipeli"], QStringLiteral("Aloita!"));
        QCOMPARE(main["lopeta"], QStringLiteral("Lopeta"));
        QCOMPARE(main["Line1"], QStringLiteral("Erotinviiva"));
        QCOMPARE(QAccessible::queryAccessibleInterface(board().findChild<QWidget*>("Line2"))->role(),
                 QAccessible::Separator);
        QCOMPARE(main["menuFile"], QStringLiteral("Tiedosto"));

        program_->sijoitus().show();
        auto ranking = namesIn(program_->sijoitus().get());
        QCOMPARE(ranking["sijoitus"], QStringLiteral("Sijoitustaulukko ja TOP5"));
        QCOMPARE(QAccessible::queryAccessibleInterface(&program_->sijoitus().get())->role(),
                 QAccessible::Window);
        QCOMPARE(ranking["close"], QStringLiteral("Sulje"));
        QCOMPARE(ranking["clear"], QStringLiteral("Tyhjennä TOP5"));
        const auto descriptionOf = [this](const char* name) {
            return QAccessible::queryAccessibleInterface(program_->sijoitus().get().findChild<QWidget*>(name))
                ->text(QAccessible::Description);
        };
        QCOMPARE(descriptionOf("tidetplusmuut"), QStringLiteral("Sija, nimi ja pisteet"));
        QCOMPARE(ranking["sijoitus1"], QStringLiteral("Tuntematon"));
        QCOMPARE(ranking["pisteet1"], QStringLiteral("10"));
        QCOMPARE(descriptionOf("pisteraja1"), QStringLiteral("80-99 pistettä"));
        QCOMPARE(descriptionOf("pisteraja8"), QStringLiteral("10-20 pistettä"));

        program_->frmAbout().show();
        auto about = namesIn(program_->frmAbout().get());
        QCOMPARE(about["frmAbout"], QStringLiteral("Tietoja ohjelmasta Vikkelo v1.0"));
        QCOMPARE(about["picIcon"], QStringLiteral("Vikkelon kuvake"));
        QCOMPARE(about["cmdOK"], QStringLiteral("OK"));
        // Named as it reads, so that "System Info" spoken presses it; the
        // Finnish explanation is its description.
        QCOMPARE(about["cmdSysInfo"], QStringLiteral("System Info..."));
        QVERIFY(QAccessible::queryAccessibleInterface(program_->frmAbout().get().findChild<QWidget*>("cmdSysInfo"))
                    ->text(QAccessible::Description)
                    .startsWith(QStringLiteral("Järjestelmätiedot")));
        QCOMPARE(about["Line1_0"], QStringLiteral("Erotinviiva"));
    }

    // Catches a lamp whose name does not follow its light, or names the
    // wrong colour, and a lamp that lights unannounced.
    void lampNamesFollowTheLights()
    {
        QTest::mouseClick(board().findChild<QPushButton*>("uusipeli"), Qt::LeftButton);
        for (int n = 1; n <= 4; ++n)
            QVERIFY(nameOf(&board().painike(n)).endsWith(QStringLiteral("lamppu, palaa")));

        const char16_t* colours[] = {u"KLIK, punainen", u"KLIK, keltainen", u"KLIK, vihreä", u"KLIK, sininen"};
        // Each lamp that lights is shown as a notification, which a screen
        // reader speaks wherever the focus is.
        for (int lit : {3, 1, 4, 2, 3}) {
            fake_->random.draws = {ScriptedRandom::lampDraw(lit)};
            tick();
            auto* note = board().findChild<QWidget*>("vikkeloNotification");
            QVERIFY(note && note->isVisible());
            QCOMPARE(QAccessible::queryAccessibleInterface(note)->role(), QAccessible::Notification);
            QVERIFY(QString::fromUtf16(colours[lit - 1]).endsWith(nameOf(note)));
            for (int n = 1; n <= 4; ++n)
                QCOMPARE(nameOf(&board().painike(n)),
                         QString::fromUtf16(colours[n - 1]) +
                             (n == lit ? QStringLiteral(" lamppu, palaa") : QStringLiteral(" lamppu, ei pala")));
        }

        // The reset darkens every lamp, and says so.
        QTest::mouseClick(board().findChild<QPushButton*>("uusipeli"), Qt::LeftButton);
        for (int n = 1; n <= 4; ++n)
            QVERIFY(nameOf(&board().painike(n)).endsWith(QStringLiteral("lamppu, ei pala")));
    }

    // Catches a score whose spoken name lags behind the number on screen,
    // and a lamp's "Press" action that says it worked and scores nothing, or
    // presses a lamp outside a round.
    void scoreNameFollowsTheScore()
    {
        QLabel* score = &board().pisteet();
        QAccessibleActionInterface* lamp4 = QAccessible::queryAccessibleInterface(&board().painike(4))->actionInterface();
        QVERIFY(lamp4 && lamp4->actionNames().contains(QAccessibleActionInterface::pressAction()));
        QTest::mouseClick(board().findChild<QPushButton*>("uusipeli"), Qt::LeftButton);
        for (int lamp : {2, 4}) {
            fake_->random.draws = {ScriptedRandom::lampDraw(lamp)};
            tick();
            if (lamp == 2)
                QTest::mousePress(&board().painike(lamp), Qt::LeftButton);
            else
                lamp4->doAction(QAccessibleActionInterface::pressAction());
            QCoreApplication::sendPostedEvents();
        }
        QCOMPARE(score->text(), QStringLiteral("2"));
        QCOMPARE(nameOf(score), QStringLiteral("Pisteet: 2"));

        QTest::mouseClick(board().findChild<QPushButton*>("uusipeli"), Qt::LeftButton);
        QCOMPARE(nameOf(score), QStringLiteral("Pisteet: 0"));
        lamp4->doAction(QAccessibleActionInterface::pressAction());
        QCoreApplication::sendPostedEvents();
        QCOMPARE(board().round().klikattu(4), 0);
    }

    // Catches menus whose popups a screen reader finds empty (a role factory
    // that claims QMenu for itself), and a menu item that keeps saying
    // "Uusi peli" while a round runs, or "Keskeytä" after it.
    void menusListTheirItems()
    {
        const auto itemsOf = [this](const char* menu) {
            QAccessibleInterface* iface =
                QAccessible::queryAccessibleInterface(board().findChild<QMenu*>(menu));
            QStringList items;
            for (int i = 0; i < iface->childCount(); ++i)
                items << iface->child(i)->text(QAccessible::Name);
            return items;
        };
        QCOMPARE(itemsOf("menuFile"),
                 QStringList({"Uusi peli", "Sijoitustaulukko ja TOP5", "Lopeta"}));
        QCOMPARE(itemsOf("menuOhje"), QStringList({"Tietoja ohjelmasta"}));

        QTest::mouseClick(board().findChild<QPushButton*>("uusipeli"), Qt::LeftButton);
        QCOMPARE(itemsOf("menuFile").value(0), QStringLiteral("Keskeytä"));
        // A press on the wrong lamp loses the round; its score reaches no table.
        fake_->random.draws = {ScriptedRandom::lampDraw(2)};
        tick();
        QTest::mousePress(&board().painike(1), Qt::LeftButton);
        QCOMPARE(itemsOf("menuFile").value(0), QStringLiteral("Uusi peli"));
    }

    // Catches a control in any window or dialog that a screen reader meets
    // without a role or a name, or named otherwise than its caption reads.
    void everyControlIsNamedAsItReads()
    {
        program_->sijoitus().show();
        program_->frmAbout().show();
        for (QWidget* window : {static_cast<QWidget*>(&board()), static_cast<QWidget*>(&table()),
                                static_cast<QWidget*>(&program_->frmAbout().get())})
            checkSpokenAsShown(QAccessible::queryAccessibleInterface(window), window->objectName());

        QtDialogs dialogs;
        int walked = 0;
        const auto walkAndClose = [&](QWidget& box) {
            checkSpokenAsShown(QAccessible::queryAccessibleInterface(&box), box.metaObject()->className());
            ++walked;
            QTest::keyClick(&box, Qt::Key_Escape);
        };
        whenOpen(walkAndClose);
        dialogs.msgBox(QStringLiteral("Haluatko varmasti tyhjentää TOP5:n?"), Dialogs::Buttons::OkCancel,
                       QStringLiteral("Varoitus"));
        whenOpen(walkAndClose);
        dialogs.inputBox(QStringLiteral("Kerro nimesi "), QStringLiteral("Onneksi olkoon!"), QString());
        QCOMPARE(walked, 2);
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
