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

    // Walks the design's worked example row by row: catches a wrong expected
    // digit, a missing speed-up, a counter not raised or not cleared.
    void theWorkedExampleRowByRow()
    {
        struct Row {
            char event; // 't' tick, 'p' press
            int lamp;
            const char* jono;
            std::int64_t counter; // of the pressed lamp after the press
            int period;
            std::int64_t klikkaus;
            Round::Press result;
            std::int64_t score;
        };
        const Round::Press ok = Round::Press::Correct, failed = Round::Press::Failed;
        const Row rows[] = {
            {'t', 3, "3", 0, 1000, 0, ok, 0},     {'p', 3, "3", 1, 990, 1, ok, 1},
            {'t', 1, "31", 0, 990, 1, ok, 1},     {'t', 4, "314", 0, 990, 1, ok, 1},
            {'p', 1, "314", 1, 980, 2, ok, 2},    {'p', 4, "314", 1, 970, 3, ok, 3},
            {'t', 2, "3142", 0, 970, 3, ok, 3},   {'p', 4, "3142", 2, 960, 4, failed, 3},
        };
        for (int alternative = 0; alternative < 3; ++alternative) {
            Round round(clock_, random_);
            round.toggle();
            for (const Row& row : rows) {
                if (row.event == 't') {
                    lightNext(round, row.lamp);
                } else {
                    int lamp = row.lamp;
                    const bool last = row.result == failed;
                    if (last && alternative == 1)
                        lamp = 3; // lamp 3 has not lit again since it was pressed
                    if (last && alternative == 2)
                        lamp = 2;
                    const Round::Press result = round.press(lamp);
                    if (last && alternative == 1) {
                        QCOMPARE(round.klikattu(3), 2);
                        QCOMPARE(result, failed);
                    } else if (last && alternative == 2) {
                        QCOMPARE(result, ok);
                        QCOMPARE(round.score(), 4);
                        QCOMPARE(round.period(), 960);
                        continue;
                    } else {
                        QCOMPARE(round.klikattu(lamp), row.counter);
                        QCOMPARE(result, row.result);
                    }
                }
                QCOMPARE(round.jono(), std::string(row.jono));
                QCOMPARE(round.period(), row.period);
                QCOMPARE(round.klikkaus(), row.klikkaus);
                QCOMPARE(round.score(), row.score);
            }
        }

        // A press made too early: with 314 lit and all three pressed, a press
        // on lamp 2 is compared with the last digit, 4, and fails.
        Round round(clock_, random_);
        round.toggle();
        for (int lamp : {3, 1, 4}) {
            lightNext(round, lamp);
            QCOMPARE(round.press(lamp), ok);
        }
        QCOMPARE(round.press(2), failed);
        QCOMPARE(round.klikkaus(), 4);
        QCOMPARE(round.score(), 3);
        // The round is over: until the reset no press counts, right or wrong.
        QCOMPARE(round.press(4), Round::Press::Over);
        QCOMPARE(round.press(4), Round::Press::Over);
        QCOMPARE(round.klikkaus(), 4);
        QCOMPARE(round.klikattu(4), 1);
        round.lopetus();
        round.toggle();
        lightNext(round, 2);
        QCOMPARE(round.press(2), ok);
    }

    // Catches a lamp that may be pressed twice for one lighting when it lit
    // again before the first press (313 pressed 3, 1, 3).
    void aLampThatLitTwiceBeforeItsPressFailsOnTheSecondPress()
    {
        Round round(clock_, random_);
        round.toggle();
        for (int lamp : {3, 1, 3})
            lightNext(round, lamp);
        QCOMPARE(round.press(3), Round::Press::Correct);
        QCOMPARE(round.press(1), Round::Press::Correct);
        QCOMPARE(round.press(3), Round::Press::Failed);

        // Two unjudged presses on one lamp before the first tick fail the
        // first judged press, unless that lamp lit in between.
        Round early(clock_, random_);
        early.toggle();
        early.press(4);
        early.press(4);
        lightNext(early, 1);
        QCOMPARE(early.press(1), Round::Press::Failed);
        Round relit(clock_, random_);
        relit.toggle();
        relit.press(4);
        relit.press(4);
        lightNext(relit, 4);
        QCOMPARE(relit.press(4), Round::Press::Correct);
    }

    // Catches a period that falls below its floor, and a score that is not
    // exactly the number of correct presses; plays past 32,767 judged presses,
    // where a 16-bit counter would wrap and misjudge.
    void aLongRoundKeepsScoringAtTheFloorPeriod()
    {
        Round round(clock_, random_);
        round.toggle();
        const int presses = 40'000;
        for (int i = 1; i <= presses; ++i) {
            const int lamp = round.tick();
            QCOMPARE(round.press(lamp), Round::Press::Correct);
            QCOMPARE(round.score(), i);
            QCOMPARE(round.period(), std::max(10, 1000 - 10 * i));
        }
        QCOMPARE(round.klikkaus(), presses);
        QCOMPARE(round.period(), 10);
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
