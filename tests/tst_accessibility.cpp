// What the desktop sees of the three windows and the dialogs: the desktop
// entry and icons they belong to, sharp at every scale; for a screen reader
// menus that list their items, a name on every control that says what its
// caption shows, lamps that say their colour and whether they are lit, and a
// score whose name carries the number; and texts and rules that stay
// readable in light, dark and high-contrast schemes. (The change events
// themselves need a platform with an accessibility bridge; offscreen Qt has
// none, so they are checked by hand through AT-SPI, as the README tells.)

#include "about/frmabout.h"
#include "game/lamp.h"
#include "game/program.h"
#include "game/vikkelo.h"
#include "desktop/application.h"
#include "desktop/lineshape.h"
#include "platform/qtdialogs.h"
#include "support/fakeplatform.h"
#include "support/programtest.h"
#include "top5/sijoitus.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <cmath>
#include <functional>
#include <map>
#include <vector>

namespace {

QString nameOf(QObject* object)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    return iface ? iface->text(QAccessible::Name) : QStringLiteral("<no interface>");
}

// The WCAG contrast ratio, worked out here so that the program's own
// arithmetic is not what checks it.
double wcag(QRgb a, QRgb b)
{
    const auto lum = [](QRgb p) {
        const auto lin = [](int c) {
            const double s = c / 255.0;
            return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * lin(qRed(p)) + 0.7152 * lin(qGreen(p)) + 0.0722 * lin(qBlue(p));
    };
    const double x = lum(a), y = lum(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

// What a region of a screenshot shows: its background is its most common
// colour, its ink the pixel that stands out most from that.
struct Sample {
    QRgb ink = 0;
    QRgb background = 0;
    double ratio() const { return wcag(ink, background); }
};

Sample sample(const QImage& image, const QRect& region)
{
    std::map<QRgb, int> count;
    const QRect r = region.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            ++count[image.pixel(x, y) | 0xff000000];
    Sample s;
    int most = -1;
    for (const auto& [colour, n] : count)
        if (n > most)
            most = n, s.background = colour;
    s.ink = s.background;
    for (const auto& [colour, n] : count)
        if (wcag(colour, s.background) > wcag(s.ink, s.background))
            s.ink = colour;
    return s;
}

QRect rectIn(QWidget* w, QWidget* window)
{
    return QRect(w->mapTo(window, QPoint(0, 0)), w->size());
}

// A caption as it is read: no access-key marks, runs of blanks as one.
QString spoken(QString caption)
{
    caption.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    caption.remove(u'&');
    caption.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return caption.simplified();
}

// Runs `act` on the modal box once it is open.
void whenOpen(std::function<void(QWidget&)> act)
{
    QTimer::singleShot(0, [act] {
        QWidget* box = QApplication::activeModalWidget();
        QVERIFY(box);
        act(*box);
    });
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

    void tick() { QMetaObject::invokeMethod(&board().Timer1(), "timeout"); }

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
    // what they see is understood. The lamps' caption says nothing a player
    // needs; their names tell colour and state instead.
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
        if (auto* b = qobject_cast<QAbstractButton*>(o); b && !qobject_cast<Lamp*>(o))
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
    void init()
    {
        newFolder();
        startProgram();
        QVERIFY(QTest::qWaitForWindowExposed(&board()));
    }

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

    // Catches a control a screen reader reaches without a name, or with a
    // meaningless one ("KLIK", a bare "0", "&System Info..." with its mark).
    void everyControlHasAFinnishName()
    {
        auto main = namesIn(board());
        QCOMPARE(main["vikkelo"], QStringLiteral("Vikkelo v1.0"));
        QCOMPARE(main["painike1"], QStringLiteral("Punainen lamppu, ei pala"));
        QCOMPARE(main["painike2"], QStringLiteral("Keltainen lamppu, ei pala"));
        QCOMPARE(main["painike3"], QStringLiteral("Vihreä lamppu, ei pala"));
        QCOMPARE(main["painike4"], QStringLiteral("Sininen lamppu, ei pala"));
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
    // wrong colour.
    void lampNamesFollowTheLights()
    {
        QTest::mouseClick(board().findChild<QPushButton*>("uusipeli"), Qt::LeftButton);
        for (int n = 1; n <= 4; ++n)
            QVERIFY(nameOf(&board().painike(n)).endsWith(QStringLiteral("lamppu, palaa")));

        const char16_t* colours[] = {u"Punainen", u"Keltainen", u"Vihreä", u"Sininen"};
        for (int lit : {3, 1, 4, 2, 3}) {
            fake_->random.draws = {ScriptedRandom::lampDraw(lit)};
            tick();
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

    // Catches a score whose spoken name lags behind the number on screen.
    void scoreNameFollowsTheScore()
    {
        QLabel* score = &board().pisteet();
        QTest::mouseClick(board().findChild<QPushButton*>("uusipeli"), Qt::LeftButton);
        for (int lamp : {2, 4}) {
            fake_->random.draws = {ScriptedRandom::lampDraw(lamp)};
            tick();
            QTest::mousePress(&board().painike(lamp), Qt::LeftButton);
        }
        QCOMPARE(score->text(), QStringLiteral("2"));
        QCOMPARE(nameOf(score), QStringLiteral("Pisteet: 2"));

        QTest::mouseClick(board().findChild<QPushButton*>("uusipeli"), Qt::LeftButton);
        QCOMPARE(nameOf(score), QStringLiteral("Pisteet: 0"));
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

    // Catches a text or rule that vanishes in the player's colour scheme:
    // the design's black text on a dark window, light captions on a lit
    // yellow lamp, rules in system colours that match the window. Each is
    // sampled from a screenshot: every text at least 4.5:1 against what is
    // behind it, the lamps' captions and the rules at least 3:1. Where the
    // design's colour reaches that, it is kept; elsewhere the scheme's own.
    void everyTextAndRuleReadsInEveryScheme_data()
    {
        QTest::addColumn<QPalette>("scheme");
        QTest::addColumn<QColor>("aboutText");   // the design's black texts are drawn in this
        QTest::addColumn<QColor>("aboutAddress");
        QTest::addColumn<QColor>("rankingRule");
        // The roles: window text, button, light, dark, mid, text, bright text, base, window.
        QTest::newRow("light") << QPalette(QColor(0, 0, 0), QColor(239, 239, 239), QColor(255, 255, 255),
                                           QColor(159, 159, 159), QColor(184, 184, 184), QColor(0, 0, 0),
                                           QColor(255, 255, 255), QColor(255, 255, 255), QColor(239, 239, 239))
                               << QColor(0, 0, 0) << QColor(0, 0, 0) << QColor(0, 0, 0);
        QTest::newRow("dark") << QPalette(QColor(238, 238, 236), QColor(55, 55, 55), QColor(80, 80, 80),
                                          QColor(30, 30, 30), QColor(42, 42, 42), QColor(238, 238, 236),
                                          QColor(255, 255, 255), QColor(45, 45, 45), QColor(53, 53, 53))
                              << QColor(238, 238, 236) << QColor(238, 238, 236) << QColor(238, 238, 236);
        QTest::newRow("high contrast") << QPalette(QColor(255, 255, 255), QColor(0, 0, 0), QColor(255, 255, 255),
                                                   QColor(128, 128, 128), QColor(0, 0, 0), QColor(255, 255, 255),
                                                   QColor(255, 255, 0), QColor(0, 0, 0), QColor(0, 0, 0))
                                       // Red reaches 5.3:1 on black: the design's own colour stays.
                                       << QColor(255, 255, 255) << QColor(255, 0, 0) << QColor(255, 255, 255);
    }

    void everyTextAndRuleReadsInEveryScheme()
    {
        QFETCH(QPalette, scheme);
        QFETCH(QColor, aboutText);
        QFETCH(QColor, aboutAddress);
        QFETCH(QColor, rankingRule);
        // All three windows are open when the player's scheme changes.
        program_->sijoitus().show();
        program_->frmAbout().show();
        const QPalette before = QApplication::palette();
        QApplication::setPalette(scheme);
        const auto restore = qScopeGuard([&] { QApplication::setPalette(before); });
        // The new palette reaches the windows as posted events.
        QCoreApplication::sendPostedEvents();

        const auto texts = [](QWidget& window, const QImage& shot) {
            for (QLabel* l : window.findChildren<QLabel*>())
                if (!l->text().isEmpty()) {
                    const Sample s = sample(shot, rectIn(l, &window));
                    QVERIFY2(s.ratio() >= 4.5, qPrintable(QStringLiteral("%1 %2 on %3: %4").arg(l->objectName(),
                             QColor(s.ink).name(), QColor(s.background).name()).arg(s.ratio())));
                }
        };
        // A rule's colour where it shows, checked against the window beside it
        // (points in the coordinates of the rule's parent).
        const auto rule = [](QWidget& window, const QImage& shot, const char* name, QPoint on, QPoint beside) {
            QWidget* parent = window.findChild<LineShape*>(name)->parentWidget();
            const QRgb ink = shot.pixel(parent->mapTo(&window, on));
            const QRgb background = shot.pixel(parent->mapTo(&window, beside));
            QTest::qVerify(wcag(ink, background) >= 3, "rule contrast",
                           qPrintable(QStringLiteral("%1 %2 on %3").arg(name, QColor(ink).name(),
                                                                         QColor(background).name())),
                           __FILE__, __LINE__);
            return QColor(ink);
        };

        // The board before a round (dark lamps that take no presses), with
        // every lamp lit at the start of one, and with every lamp dark in it.
        Vikkelo& b = board();
        const auto lamps = [&b](const QImage& shot, const char* state) {
            for (int n = 1; n <= 4; ++n) {
                // The caption's middle, clear of the lamp's frame and focus mark.
                const Sample s = sample(shot, rectIn(&b.painike(n), &b).adjusted(16, 15, -16, -15));
                QVERIFY2(s.ratio() >= 3, qPrintable(QStringLiteral("lamp %1 %2: %3 on %4").arg(n).arg(state,
                         QColor(s.ink).name(), QColor(s.background).name())));
            }
        };
        QImage shot = b.grab().toImage();
        texts(b, shot);
        rule(b, shot, "Line1", {100, 1}, {100, 5});
        lamps(shot, "before a round");
        QTest::mouseClick(b.findChild<QPushButton*>("uusipeli"), Qt::LeftButton);
        lamps(b.grab().toImage(), "lit");
        for (int n = 1; n <= 4; ++n)
            b.painike(n).setLit(false);
        lamps(b.grab().toImage(), "dark in a round");
        // The lamps' faces stay the design's own colours whatever the scheme.
        QCOMPARE(QColor(b.grab().toImage().pixel(rectIn(&b.painike(4), &b).topLeft() + QPoint(5, 5))),
                 QColor(0, 0, 128));

        Sijoitus& ranking = table();
        shot = ranking.grab().toImage();
        texts(ranking, shot);
        QCOMPARE(rule(ranking, shot, "Line2", {100, 24}, {100, 19}), rankingRule);
        rule(ranking, shot, "Line4", {191, 150}, {187, 150});

        FrmAbout& about = program_->frmAbout().get();
        shot = about.grab().toImage();
        texts(about, shot);
        rule(about, shot, "Line1_1", {100, 163}, {100, 160});
        // Text is smoothed: its darkest pixel may miss the colour by a shade.
        const auto inkNear = [&](const char* label, const QColor& expected) {
            const QColor ink(sample(shot, rectIn(about.findChild<QLabel*>(label), &about)).ink);
            return std::abs(ink.red() - expected.red()) <= 3 && std::abs(ink.green() - expected.green()) <= 3 &&
                   std::abs(ink.blue() - expected.blue()) <= 3;
        };
        QVERIFY(inkNear("lblTitle", aboutText));
        QVERIFY(inkNear("Label3", aboutAddress));
    }

    // Catches a program that names a desktop entry other than the one it
    // installs (its windows would lose their menu entry and icon), and
    // dialogs that carry a generic icon instead of the program's.
    void theDesktopKnowsTheProgramAndItsIcon()
    {
        setUpApplication();
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

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
