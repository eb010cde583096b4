// The round's rules without any window: the light sequencer, the reset and
// the press check, driven tick by tick and press by press.

#include "game/round.h"
#include "support/fakeplatform.h"

#include <QtTest>

#include <array>
#include <set>

class TestRound : public QObject {
    Q_OBJECT

private:
    FixedTimeOfDay clock_;
    ScriptedRandom random_;

    void lightNext(Round& round, int lamp)
    {
        random_.draws.push_back(ScriptedRandom::lampDraw(lamp));
        QCOMPARE(round.tick(), lamp);
    }

private slots:
    void init()
    {
        clock_ = FixedTimeOfDay();
        random_.draws.clear();
        random_.reseeds = 0;
    }

    // Catches a board that starts lit, enabled or ticking, or a reset that
    // forgets one of the round's variables.
    void startUpAndResetLeaveABoardAtRest()
    {
        Round round(clock_, random_);
        round.startUp();
        QCOMPARE(round.peli(), 0);
        QVERIFY(round.jono().empty());
        QCOMPARE(round.sama(), 0);
        QCOMPARE(round.score(), 0);
        QCOMPARE(round.period(), 1000);
        QVERIFY(!round.timerOn());
        QVERIFY(!round.lampsEnabled());
        for (int n = 1; n <= 4; ++n)
            QVERIFY(!round.lit(n));

        QVERIFY(round.toggle());
        QCOMPARE(round.peli(), 1);
        QVERIFY(round.timerOn());
        QVERIFY(round.lampsEnabled());
        for (int n = 1; n <= 4; ++n)
            QVERIFY2(round.lit(n), "every lamp is bright at the start of a round");
        QVERIFY2(round.jono().empty(), "no lamp lights before the first tick");

        lightNext(round, 2);
        QCOMPARE(round.press(2), Round::Press::Correct);
        lightNext(round, 4);
        QCOMPARE(round.period(), 990);

        QVERIFY(!round.toggle()); // interrupt
        QCOMPARE(round.peli(), 0);
        QVERIFY(round.jono().empty());
        QCOMPARE(round.klikkaus(), 0);
        QCOMPARE(round.p(), char(0));
        QCOMPARE(round.t(), 0);
        QCOMPARE(round.score(), 0);
        QCOMPARE(round.period(), 1000);
        QVERIFY(!round.timerOn());
        QVERIFY(!round.lampsEnabled());
        for (int n = 1; n <= 4; ++n) {
            QVERIFY(!round.lit(n));
            QCOMPARE(round.klikattu(n), 0);
        }
        QCOMPARE(round.sama(), 4); // the reset keeps the lamp lit last
    }

    // Catches a sequencer that repeats a lamp, favours one, or reseeds
    // only once a round.
    void tenThousandTicksNeverRepeatALampAndLightEachAboutAQuarter()
    {
        Round round(clock_, random_);
        round.startUp();
        round.toggle();
        std::array<int, 5> count{};
        int previous = 0;
        for (int i = 0; i < 10'000; ++i) {
            const int lamp = round.tick();
            QVERIFY(lamp >= 1 && lamp <= 4);
            QVERIFY2(lamp != previous, "two ticks in a row lit the same lamp");
            previous = lamp;
            ++count[lamp];
            for (int n = 1; n <= 4; ++n)
                QCOMPARE(round.lit(n), n == lamp);
        }
        QCOMPARE(round.jono().size(), std::size_t(10'000));
        for (std::size_t i = 1; i < round.jono().size(); ++i)
            QVERIFY(round.jono()[i] != round.jono()[i - 1]);
        for (int n = 1; n <= 4; ++n)
            QVERIFY2(count[n] > 2300 && count[n] < 2700, qPrintable(QString::number(count[n])));
        QCOMPARE(random_.reseeds, 10'000);
    }

    // Catches seeds taken from a coarse clock: ticks 10 ms apart late in the
    // day must not share a seed (a float seconds value would).
    void ticksLateInTheDayGetDistinctSeeds()
    {
        struct RecordingRandom final : Random {
            void reseed(std::uint64_t s) override { seeds.insert(s); }
            double draw() override { return r = r > 0.5 ? 0.1 : 0.9; }
            std::set<std::uint64_t> seeds;
            double r = 0;
        } random;
        FixedTimeOfDay lateClock;
        lateClock.now = 86'399LL * 1'000'000'000 - 2'000'000'000; // 23:59:57
        Round round(lateClock, random);
        round.toggle();
        for (int i = 0; i < 100; ++i)
            round.tick();
        QCOMPARE(random.seeds.size(), std::size_t(100));
    }

    // Catches a redraw that reseeds, and a sama cleared by the reset.
    void theLampLitLastIsNeverFirstInTheNextRound()
    {
        Round round(clock_, random_);
        round.toggle();
        lightNext(round, 1);
        lightNext(round, 3);
        round.lopetus();
        QCOMPARE(round.sama(), 3);
        round.toggle();
        // The first draw repeats lamp 3 and must be refused without a reseed.
        random_.draws = {ScriptedRandom::lampDraw(3), ScriptedRandom::lampDraw(3),
                         ScriptedRandom::lampDraw(2)};
        const int reseeds = random_.reseeds;
        QCOMPARE(round.tick(), 2);
        QCOMPARE(random_.reseeds, reseeds + 1);
        QCOMPARE(round.jono(), std::string("2"));
    }

    // Catches a tick that clears every counter, or none.
    void aTickClearsOnlyTheCounterOfTheLampItLights()
    {
        Round round(clock_, random_);
        round.toggle();
        // Presses before the first tick are counted but not judged.
        QCOMPARE(round.press(1), Round::Press::NotJudged);
        QCOMPARE(round.press(2), Round::Press::NotJudged);
        QCOMPARE(round.press(2), Round::Press::NotJudged);
        QCOMPARE(round.klikattu(1), 1);
        QCOMPARE(round.klikattu(2), 2);
        QCOMPARE(round.period(), 1000);
        QCOMPARE(round.klikkaus(), 0);
        lightNext(round, 2);
        QCOMPARE(round.klikattu(1), 1);
        QCOMPARE(round.klikattu(2), 0);
    }

    // A generator that keeps drawing the lamp just lit must not hang the game.
    void aStuckGeneratorDoesNotHang()
    {
        struct Stuck final : Random {
            void reseed(std::uint64_t) override {}
            double draw() override { return 0.0; }
        } stuck;
        Round round(clock_, stuck);
        round.toggle();
        QCOMPARE(round.tick(), 1);
        const int next = round.tick();
        QVERIFY(next != 1);
    }
};

QTEST_GUILESS_MAIN(TestRound)
#include "tst_round.moc"
