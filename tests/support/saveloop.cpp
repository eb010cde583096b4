// The crash test's child: saves the two tables of savetables.h in turn with
// the real save routine, for as long as it lives. It says "ready" once the
// first save is done; the test then kills it at a random moment.

#include "app/program.h"
#include "support/fakeplatform.h"
#include "support/savetables.h"
#include "top5/sijoitus.h"
#include "top5/tiedot.h"

#include <QApplication>
#include <QLabel>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FakePlatform fake;
    Program program(fake.platform);
    Sijoitus& table = program.sijoitus().get();

    for (long long i = 0;; ++i) {
        const bool a = i % 2 == 0;
        for (int k = 1; k <= Top5Table::kPlaces; ++k) {
            table.sijoitus(k).setText((a ? savetables::kNamesA : savetables::kNamesB)[k - 1]);
            table.pisteet(k).setText((a ? savetables::kScoresA : savetables::kScoresB)[k - 1]);
        }
        if (program.tiedot().TallennaTop5() != Tiedot::SaveResult::Saved)
            return 2;
        if (i == 0) {
            std::fputs("ready\n", stdout);
            std::fflush(stdout);
        }
    }
}
