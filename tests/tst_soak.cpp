// A million ticks and presses against the rules of a round, by a scripted
// player with random timing and aim, checking the round's invariants after
// every event.

#include "game/round.h"
#include "support/fakeplatform.h"
#include "support/workdir.h"

#include <QRandomGenerator>
#include <QtTest>

// QVERIFY2 would build its message on every one of the million checks.
#define CHECK(condition, what)                                                                                        \
    do {                                                                                                               \
        if (!(condition))                                                                                              \
            QFAIL(fail(what, event).constData());                                                                      \
    } while (false)

class TestSoak : public WorkdirTest {
    Q_OBJECT

private slots:
    void init() { enterNewFolder(); }
    void cleanup() { leaveFolder(); }

    // Catches, over long play, a repeated lamp, a period below its floor or
    // out of step with the judged presses, a score that drifts from the
    // correct presses, a press judged otherwise than the lit order says, and
    // a round that goes on after a failed press or keeps state past its reset.
    void aMillionEventsKeepTheRoundsInvariants()
    {
        // A fresh player every run; a failing one is replayed by its seed.
        quint64 seed = QRandomGenerator::system()->generate64();
        if (qEnvironmentVariableIsSet("VIKKELO_SOAK_SEED")) {
            bool ok = false;
            seed = qEnvironmentVariable("VIKKELO_SOAK_SEED").toULongLong(&ok);
            QVERIFY2(ok, "VIKKELO_SOAK_SEED is not a whole number");
        }
        qInfo("seed %llu (VIKKELO_SOAK_SEED=%llu replays this run)", static_cast<unsigned long long>(seed),
              static_cast<unsigned long long>(seed));
        QRandomGenerator player(seed);
        FixedTimeOfDay clock;
        ScriptedRandom random;
        Round round(clock, random);
        round.startUp();

        // The player's own account of the round, kept apart from Round's.
        std::int64_t correct = 0;
        std::int64_t judged = 0;
        std::array<int, Round::kLamps> pressedSinceLit{};
        std::int64_t rounds = 0, failures = 0, floorReached = 0, longest = 0;
        // How often this player presses the wrong lamp, and how far behind the
        // lights it lets itself fall; both change from round to round.
        int missPerMille = 5;
        int patience = 2;

        const auto fail = [&](const char* what, std::int64_t event) {
            return QStringLiteral("%1 at event %2 (seed %3, jono %4)")
                .arg(QLatin1String(what)).arg(event).arg(seed)
                .arg(QString::fromStdString(round.jono().substr(round.jono().size() > 40 ? round.jono().size() - 40 : 0)))
                .toLatin1();
        };
        const auto newRound = [&] {
            QVERIFY(round.toggle());
            correct = judged = 0;
            pressedSinceLit.fill(0);
            missPerMille = int(player.bounded(0, 30));
            patience = int(player.bounded(1, 4));
            ++rounds;
        };
        newRound();

        for (std::int64_t event = 0; event < 1'000'000; ++event) {
            const std::string& jono = round.jono();
            const std::int64_t behind = std::int64_t(jono.size()) - judged;
            // Random timing: the lights run ahead of the player by up to `patience`.
            // The player waits for the lights, but now and then presses ahead
            // of them or lets them get ahead by more than `patience`.
            bool tick;
            if (jono.empty())
                tick = true;
            else if (behind <= 0)
                tick = player.bounded(1000) >= 5;
            else
                tick = behind < patience ? player.bounded(100) < 50 : player.bounded(100) < 3;
            bool lost = false;
            if (tick) {
                const int lamp = round.tick();
                pressedSinceLit[lamp - 1] = 0;
                CHECK(jono.size() < 2 || jono[jono.size() - 1] != jono[jono.size() - 2], "a lamp lit twice in a row");
                CHECK(jono.back() == char('0' + lamp) && round.sama() == lamp, "a lit lamp not recorded");
                longest = std::max<std::int64_t>(longest, std::int64_t(jono.size()));
            } else {
                // Mostly the lamp that is due; now and then any lamp.
                const std::size_t due = std::min<std::size_t>(std::size_t(judged), jono.size() - 1);
                int lamp = jono[due] - '0';
                if (player.bounded(1000) < missPerMille)
                    lamp = int(player.bounded(1, Round::kLamps + 1));
                ++pressedSinceLit[lamp - 1];
                ++judged;
                const char expected = jono[std::min<std::size_t>(std::size_t(judged), jono.size()) - 1];
                const bool twice = std::any_of(pressedSinceLit.begin(), pressedSinceLit.end(),
                                               [](int c) { return c > 1; });
                const Round::Press verdict = round.press(lamp);
                const Round::Press due2 = twice || char('0' + lamp) != expected ? Round::Press::Failed
                                                                                 : Round::Press::Correct;
                CHECK(verdict == due2, "a press judged against the lit order");
                if (verdict == Round::Press::Correct)
                    ++correct;
                lost = verdict == Round::Press::Failed;
            }

            CHECK(round.period() >= Round::kFloorPeriod, "the period below its floor");
            CHECK(round.period() == std::max<std::int64_t>(Round::kFloorPeriod, Round::kStartPeriod - 10 * judged), "the period out of step with the judged presses");
            CHECK(round.score() == correct, "a score other than the correct presses");
            CHECK(round.klikkaus() == judged, "judged presses miscounted");
            if (judged == 99 && !tick)
                ++floorReached;

            // A failed press ends the round: the game resets the board, and
            // the next round starts from nothing.
            if (lost) {
                ++failures;
                round.lopetus();
                CHECK(round.peli() == 0 && !round.timerOn() && !round.lampsEnabled() && round.jono().empty() &&
                             round.score() == 0 && round.klikkaus() == 0 && round.period() == Round::kStartPeriod, "a reset that keeps the lost round's state");
                newRound();
            }
        }
        qInfo("seed %llu: %lld rounds, %lld lost, %lld reached the 10 ms floor, longest sequence %lld",
              static_cast<unsigned long long>(seed), static_cast<long long>(rounds),
              static_cast<long long>(failures), static_cast<long long>(floorReached),
              static_cast<long long>(longest));
        QVERIFY(failures > 100);
        QVERIFY(floorReached > 0);
    }
};

QTEST_GUILESS_MAIN(TestSoak)
#include "tst_soak.moc"
