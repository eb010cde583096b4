// Texts and rules that stay readable in light, dark and high-contrast
// colour schemes, checked from screenshots of the three windows.

#include "about/frmabout.h"
#include "desktop/lineshape.h"
#include "game/lamp.h"
#include "app/program.h"
#include "game/vikkelo.h"
#include "support/programtest.h"
#include "top5/sijoitus.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QtTest>

#include <cmath>
#include <map>

namespace {

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

} // namespace

class TestSchemes : public ProgramTest {
    Q_OBJECT

private slots:
    void init() { startOnScreen(); }

    void cleanup() { endAll(); }

    // Catches a text or rule that vanishes in the player's colour scheme:
    // the design's black text on a dark window, light captions on a lit
    // yellow lamp, rules in system colours that match the window; and, in
    // the light scheme the design was drawn for, any colour it fixes drawn
    // otherwise. Each is sampled from a screenshot: in a dark or
    // high-contrast scheme every text at least 4.5:1 against what is behind
    // it and the rules 3:1; in the light one only what would nearly vanish
    // (under 3:1, a rule under 1.5:1) gives way. Every lamp caption, on all
    // eight faces, is black or white at 5:1 or more.
    void everyTextAndRuleReadsInEveryScheme_data()
    {
        QTest::addColumn<QPalette>("scheme");
        QTest::addColumn<QColor>("aboutText");   // the design's black texts are drawn in this
        QTest::addColumn<QColor>("aboutAddress");
        QTest::addColumn<QColor>("rankingRule");
        QTest::addColumn<double>("textContrast");
        QTest::addColumn<double>("ruleContrast");
        // The roles: window text, button, light, dark, mid, text, bright text, base, window.
        QTest::newRow("light") << QPalette(QColor(0, 0, 0), QColor(239, 239, 239), QColor(255, 255, 255),
                                           QColor(159, 159, 159), QColor(184, 184, 184), QColor(0, 0, 0),
                                           QColor(255, 255, 255), QColor(255, 255, 255), QColor(239, 239, 239))
                               // The design's black and red, and the rules in their system colour.
                               << QColor(0, 0, 0) << QColor(255, 0, 0) << QColor(184, 184, 184) << 3.0 << 1.5;
        QTest::newRow("dark") << QPalette(QColor(238, 238, 236), QColor(55, 55, 55), QColor(80, 80, 80),
                                          QColor(30, 30, 30), QColor(42, 42, 42), QColor(238, 238, 236),
                                          QColor(255, 255, 255), QColor(45, 45, 45), QColor(53, 53, 53))
                              << QColor(238, 238, 236) << QColor(238, 238, 236) << QColor(238, 238, 236) << 4.5 << 3.0;
        QTest::newRow("high contrast") << QPalette(QColor(255, 255, 255), QColor(0, 0, 0), QColor(255, 255, 255),
                                                   QColor(128, 128, 128), QColor(0, 0, 0), QColor(255, 255, 255),
                                                   QColor(255, 255, 0), QColor(0, 0, 0), QColor(0, 0, 0))
                                       // Red reaches 5.3:1 on black: the design's own colour stays.
                                       << QColor(255, 255, 255) << QColor(255, 0, 0) << QColor(255, 255, 255) << 4.5
                                       << 3.0;
        // Black on white: high contrast too, where red's 4:1 is not enough.
        QTest::newRow("light high contrast")
            << QPalette(QColor(0, 0, 0), QColor(255, 255, 255), QColor(255, 255, 255), QColor(118, 118, 118),
                        QColor(118, 118, 118), QColor(0, 0, 0), QColor(255, 255, 255), QColor(255, 255, 255),
                        QColor(255, 255, 255))
            << QColor(0, 0, 0) << QColor(0, 0, 0) << QColor(118, 118, 118) << 4.5 << 3.0;
        // The Adwaita-HighContrast style's own palette, no whiter than Qt's
        // light one: high contrast by the style, where red's 3.9:1 is not enough.
        QTest::newRow("adwaita-highcontrast")
            << QPalette(QColor(39, 44, 46), QColor(250, 250, 249), QColor(255, 255, 255), QColor(227, 227, 221),
                        QColor(238, 238, 235), QColor(39, 44, 46), QColor(0, 0, 0), QColor(255, 255, 255),
                        QColor(253, 253, 252))
            << QColor(0, 0, 0) << QColor(39, 44, 46) << QColor(39, 44, 46) << 4.5 << 3.0;
    }

    void everyTextAndRuleReadsInEveryScheme()
    {
        QFETCH(QPalette, scheme);
        QFETCH(QColor, aboutText);
        QFETCH(QColor, aboutAddress);
        QFETCH(QColor, rankingRule);
        QFETCH(double, textContrast);
        QFETCH(double, ruleContrast);
        // All three windows are open when the player's scheme changes.
        program_->sijoitus().show();
        program_->frmAbout().show();
        const QPalette before = QApplication::palette();
        const QString style = QApplication::style()->name();
        if (QByteArray(QTest::currentDataTag()).startsWith("adwaita") &&
            !QApplication::setStyle(QString::fromLatin1(QTest::currentDataTag())))
            QSKIP("the Adwaita styles (adwaita-qt6) are not installed");
        QApplication::setPalette(scheme);
        const auto restore = qScopeGuard([&] {
            QApplication::setStyle(style);
            QApplication::setPalette(before);
        });
        // The new palette reaches the windows as posted events.
        QCoreApplication::sendPostedEvents();

        const auto texts = [textContrast](QWidget& window, const QImage& shot) {
            for (QLabel* l : window.findChildren<QLabel*>())
                if (!l->text().isEmpty()) {
                    const Sample s = sample(shot, rectIn(l, &window));
                    QVERIFY2(s.ratio() >= textContrast, qPrintable(QStringLiteral("%1 %2 on %3: %4").arg(l->objectName(),
                             QColor(s.ink).name(), QColor(s.background).name()).arg(s.ratio())));
                }
        };
        // A rule's colour where it shows, checked against the window beside it
        // (points in the coordinates of the rule's parent).
        const auto rule = [ruleContrast](QWidget& window, const QImage& shot, const char* name, QPoint on,
                                         QPoint beside) {
            QWidget* parent = window.findChild<LineShape*>(name)->parentWidget();
            const QRgb ink = shot.pixel(parent->mapTo(&window, on));
            const QRgb background = shot.pixel(parent->mapTo(&window, beside));
            QTest::qVerify(wcag(ink, background) >= ruleContrast, "rule contrast",
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
                QVERIFY2(s.ratio() >= 5 && (s.ink == qRgb(0, 0, 0) || s.ink == qRgb(255, 255, 255)),
                         qPrintable(QStringLiteral("lamp %1 %2: %3 on %4").arg(n).arg(state,
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
        QCOMPARE(rule(ranking, shot, "Line4", {191, 150}, {187, 150}), rankingRule);

        FrmAbout& about = program_->frmAbout().get();
        shot = about.grab().toImage();
        texts(about, shot);
        rule(about, shot, "Line1_1", {100, 163}, {100, 160});
        // Text is smoothed: its strongest pixel may be the colour over 95 % of
        // the pixel and the window behind it over the rest.
        const auto inkNear = [&](const char* label, const QColor& expected) {
            const Sample s = sample(shot, rectIn(about.findChild<QLabel*>(label), &about));
            const QColor ink(s.ink), window(s.background);
            const auto near = [](int i, int e, int w) { return std::abs(i - e) <= 3 + std::abs(w - e) / 20; };
            return near(ink.red(), expected.red(), window.red()) && near(ink.green(), expected.green(), window.green()) &&
                   near(ink.blue(), expected.blue(), window.blue());
        };
        QVERIFY(inkNear("lblTitle", aboutText));
        QVERIFY(inkNear("lblDisclaimer", aboutText));
        QVERIFY(inkNear("Label3", aboutAddress));
    }

    // Catches a caption clipped by a stand-in font wider than the one the
    // windows were drawn with, or by a scaled screen (the suite runs again
    // at other scales, and with fontconfig hiding Liberation Sans).
    void noCaptionIsClipped()
    {
        program_->sijoitus().show();
        program_->frmAbout().show();
        for (QWidget* window : QApplication::topLevelWidgets())
            for (QWidget* w : window->findChildren<QWidget*>()) {
                // What the caption needs: a label's own hint, a button's text and a little frame.
                auto* label = qobject_cast<QLabel*>(w);
                auto* button = qobject_cast<QPushButton*>(w);
                QSize needs;
                if (label && !label->wordWrap() && !label->text().isEmpty())
                    needs = label->sizeHint();
                else if (button)
                    needs = QSize(button->fontMetrics().horizontalAdvance(QString(button->text()).remove(u'&')) + 6,
                                  button->fontMetrics().height());
                QVERIFY2(needs.width() <= w->width() && needs.height() <= w->height(),
                         qPrintable(w->objectName() + ", " + QFontInfo(w->font()).family()));
            }
    }
};

QTEST_MAIN(TestSchemes)
#include "tst_schemes.moc"
