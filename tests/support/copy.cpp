// A second copy of the game for the tests that need two processes: the real
// program with scripted dialogs, in the working folder it is started in,
// driven one command per line on standard input:
//   enter SCORE NAME   a round ends with SCORE and the player types NAME
//   save               "Sulje" in the ranking window
//   clear              "Tyhjennä TOP5", answered OK
//   show               the menu command that shows the ranking window
//   quit               "Lopeta" in the main window
// Other boxes take their default answer (OK, Cancel or No). After each
// command, and once at start, it prints every message box shown since
// ("message: " and the text on one line; name prompts are not listed); when
// started with --tables and the ranking window exists, "table: " and its
// places as name=score joined by "|"; "exit" when the program ended; then
// "done".
// On Windows, started as `top5_copy --hold`, it is instead another program
// that opens TOP5.dat sharing it with nobody, prints "held" (or "failed")
// and keeps it open until a line, or the end, of standard input.

#include "app/program.h"
#include "game/vikkelo.h"
#include "support/fakeplatform.h"
#include "top5/sijoitus.h"
#include "top5/tiedot.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include <cstdio>
#include <iostream>
#include <string>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

int main(int argc, char* argv[])
{
#ifdef Q_OS_WIN
    if (argc == 2 && std::string(argv[1]) == "--hold") {
        const HANDLE held = CreateFileW(L"TOP5.dat", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        std::puts(held == INVALID_HANDLE_VALUE ? "failed" : "held");
        std::fflush(stdout);
        std::string line;
        std::getline(std::cin, line);
        return held == INVALID_HANDLE_VALUE;
    }
#endif
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FakePlatform fake;
    Program program(fake.platform);
    program.vikkelo().show();

    const bool tables = app.arguments().contains(QStringLiteral("--tables"));
    bool quitting = false;
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&] { quitting = true; });

    std::size_t told = 0;
    const auto report = [&] {
        for (; told < fake.dialogs.shown.size(); ++told) {
            if (fake.dialogs.shown[told].kind != ScriptedDialogs::Shown::Message)
                continue;
            QString text = fake.dialogs.shown[told].text;
            text.replace(u'\n', u' ');
            std::printf("message: %s\n", text.toUtf8().constData());
        }
        if (tables && program.sijoitus().exists()) {
            QStringList places;
            for (int k = 1; k <= Top5Table::kPlaces; ++k)
                places << program.sijoitus().get().sijoitus(k).text() + u'=' +
                              program.sijoitus().get().pisteet(k).text();
            std::printf("table: %s\n", places.join(u'|').toUtf8().constData());
        }
        if (quitting)
            std::puts("exit");
        std::puts("done");
        std::fflush(stdout);
    };
    report();

    std::string line;
    while (std::getline(std::cin, line)) {
        const QString command = QString::fromStdString(line);
        if (command.startsWith(QStringLiteral("enter "))) {
            const QString score = command.section(u' ', 1, 1);
            fake.dialogs.typed = {command.section(u' ', 2)};
            program.vikkelo().get().pisteet().setText(score);
            program.tiedot().endOfGame();
        } else if (command == QStringLiteral("save")) {
            program.sijoitus().get().findChild<QPushButton*>(QStringLiteral("close"))->click();
        } else if (command == QStringLiteral("clear")) {
            // The window is made first: its load may show a box of its own.
            QPushButton* clear = program.sijoitus().get().findChild<QPushButton*>(QStringLiteral("clear"));
            fake.dialogs.answers = {Dialogs::Ok};
            clear->click();
        } else if (command == QStringLiteral("show")) {
            program.vikkelo().get().findChild<QAction*>(QStringLiteral("menusijoitus"))->trigger();
        } else if (command == QStringLiteral("quit")) {
            program.vikkelo().get().findChild<QPushButton*>(QStringLiteral("lopeta"))->click();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        quitting = quitting || fake.process.ended > 0;
        report();
        if (quitting)
            break;
    }
    return 0;
}
