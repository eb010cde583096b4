// What the desktop sees of the three windows: icons sharp at every scale,
// and for a screen reader a Finnish name on every
// control, lamps that say their colour and whether they are lit, and a score
// whose name carries the number. (The change events themselves need a
// platform with an accessibility bridge; offscreen Qt has none, so they are
// checked by hand through AT-SPI, as the README tells.)

#include "about/frmabout.h"
#include "game/lamp.h"
#include "game/program.h"
#include "game/vikkelo.h"
#include "support/fakeplatform.h"
#include "support/programtest.h"
#include "top5/sijoitus.h"

#include <QAccessible>
#include <QLabel>
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

// Every interface under root, by the object it stands for.
void collect(QAccessibleInterface* iface, std::vector<QAccessibleInterface*>& out)
{
    out.push_back(iface);
    for (int i = 0; i < iface->childCount(); ++i)
        if (QAccessibleInterface* child = iface->child(i))
            collect(child, out);
}

} // namespace

class TestDesktop : public ProgramTest {
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

    // Catches a control a screen reader reaches without a name, or with an
    // English or meaningless one ("KLIK", a bare "0", "&System Info...").
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
        QCOMPARE(ranking["tidetplusmuut"], QStringLiteral("Sija, nimi ja pisteet"));
        QCOMPARE(ranking["sijoitus1"], QStringLiteral("Tuntematon"));
        QCOMPARE(ranking["pisteet1"], QStringLiteral("10"));
        QCOMPARE(ranking["pisteraja1"], QStringLiteral("80-99 pistettä"));
        QCOMPARE(ranking["pisteraja8"], QStringLiteral("10-20 pistettä"));

        program_->frmAbout().show();
        auto about = namesIn(program_->frmAbout().get());
        QCOMPARE(about["frmAbout"], QStringLiteral("Tietoja ohjelmasta Vikkelo v1.0"));
        QCOMPARE(about["picIcon"], QStringLiteral("Vikkelon kuvake"));
        QCOMPARE(about["cmdOK"], QStringLiteral("OK"));
        QCOMPARE(about["cmdSysInfo"], QStringLiteral("Järjestelmätiedot"));
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
};

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
