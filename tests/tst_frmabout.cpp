// The About window: its form, how it opens and closes, and the lookup behind
// "System Info..." against a scripted registry and launcher.

#include "about/frmabout.h"
#include "app/program.h"
#include "game/vikkelo.h"
#include "platform/qtprocess.h"
#include "support/fakeplatform.h"
#include "support/programtest.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#ifdef Q_OS_WIN
#include "platform/winregistry.h"
#else
#include "platform/standinregistry.h"
#endif

#include "desktop/lineshape.h"

namespace {

const std::string kPathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const std::string kFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
const QString kUnavailable = QStringLiteral("Järjestelmä tiedot eivät ole saatavilla juuri nyt!");

// Registry rights that would let the program change what it only reads.
constexpr std::uint32_t kWriteRights = 0x0002 | 0x0004 | 0x0020;

} // namespace

class TestFrmAbout : public ProgramTest {
    Q_OBJECT

private:

    ScriptedRegistry& registry() { return fake_->registry; }
    RecordingProcess& process() { return fake_->process; }
    FrmAbout& about() { return program_->frmAbout().get(); }

    FrmAbout& openFromMenu()
    {
        program_->vikkelo().get().findChild<QAction*>("menuTietoja")->trigger();
        return about();
    }
    void pressSysInfo() { about().findChild<QPushButton*>("cmdSysInfo")->click(); }
    int messagesShown() const { return int(fake_->dialogs.shown.size()); }

    void verifyUnavailableMessage()
    {
        QCOMPARE(fake_->dialogs.shown.size(), size_t(1));
        const auto& m = fake_->dialogs.shown.front();
        QCOMPARE(m.kind, ScriptedDialogs::Shown::Message);
        QCOMPARE(m.text, kUnavailable);
        QCOMPARE(m.title, QStringLiteral("Vikkelo"));
        QVERIFY(m.buttons == Dialogs::Buttons::Ok);
    }

private slots:
    void init()
    {
        newFolder();
        startProgram();
    }

    void cleanup() { endAll(); }

    // Catches a control misplaced or mistyped.
    void controlsAreWhereDrawn_data()
    {
        addControls({
            {"picIcon", {16, 8, 36, 36}},
            {"lblTitle", {70, 8, 259, 16}, QStringLiteral("Pelin nimi: Vikkelo")},
            {"lblVersion", {72, 24, 259, 15}, QStringLiteral("Versio : 1.0")},
            {"Label2", {72, 40, 105, 17}, QStringLiteral("Tehnyt: Vikkelo-tiimi")},
            {"Label3", {184, 40, 153, 17}, QStringLiteral("vikkelo@example.org")},
            {"Label1", {72, 56, 265, 17}, QStringLiteral("© 2026 Vikkelo-tiimi")},
            {"lblDescription", {70, 75, 259, 78}},
            {"Line1_1", {6, 163, 371, 1}},
            {"Line1_0", {7, 164, 370, 2}},
            {"lblDisclaimer", {16, 175, 258, 55},
             QStringLiteral("Varoitus : Pelin tekijä ei ota minkäänlaista vastuuta ohjelman "
                            "aiheuttamista menetyksistä tai vahingoista (Mukaan lukien "
                            "riippuvuus!)! Käytät peliä/ohjelmaa täysin omalla vastuullasi!")},
            {"cmdOK", {283, 175, 84, 23}, QStringLiteral("OK")},
            {"cmdSysInfo", {284, 205, 83, 23}, QStringLiteral("&System Info...")},
        });
    }
    void controlsAreWhereDrawn() { checkControl(openFromMenu()); }

    // Catches a window mistyped, miscoloured, or taking focus out of turn.
    void formShowsTheWindowAsDrawn()
    {
        FrmAbout& w = openFromMenu();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.objectName(), QStringLiteral("frmAbout"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Tietoja ohjelmasta Vikkelo v1.0"));
        QCOMPARE(w.size(), QSize(382, 237));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QVERIFY(!(w.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(w.font().pointSizeF(), 8.25);
        QVERIFY(w.findChild<QLabel*>("lblDescription")->text().startsWith(QStringLiteral("Pelin kuvaus: ")));

        for (const char* name : {"lblTitle", "lblDescription", "lblDisclaimer"})
            QCOMPARE(w.findChild<QLabel*>(name)->palette().color(QPalette::WindowText), QColor(0, 0, 0));
        // The address is red on a light window, as drawn.
        QCOMPARE(w.findChild<QLabel*>("Label3")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QCOMPARE(w.findChild<LineShape*>("Line1_1")->colour(), QColor(128, 128, 128));
        QCOMPARE(w.findChild<LineShape*>("Line1_0")->colour(), QColor(255, 255, 255));
        QCOMPARE(w.findChild<QLabel*>("picIcon")->pixmap().deviceIndependentSize(), QSizeF(32, 32));

        // Enter and Esc both belong to OK, which has the first focus; only the
        // two buttons and the picture take focus, in that order.
        auto* ok = w.findChild<QPushButton*>("cmdOK");
        QVERIFY(ok->isDefault());
        QCOMPARE(w.focusWidget(), ok);
        QCOMPARE(ok->nextInFocusChain(), w.findChild<QWidget*>("picIcon"));
        QCOMPARE(ok->nextInFocusChain()->nextInFocusChain(), w.findChild<QWidget*>("cmdSysInfo"));
        for (QLabel* label : w.findChildren<QLabel*>())
            QCOMPARE(label->focusPolicy() == Qt::NoFocus, label->objectName() != "picIcon");
    }

    // Catches a second About window, or a new one replacing the open one.
    void secondMenuTietojaLeavesOneWindow()
    {
        FrmAbout* first = &openFromMenu();
        FrmAbout* second = &openFromMenu();
        QCOMPARE(second, first);
        QVERIFY(first->isVisible());
        int abouts = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            abouts += qobject_cast<FrmAbout*>(w) != nullptr;
        QCOMPARE(abouts, 1);
    }

    // Catches a way of closing that only hides the window, so that it lives
    // on with whatever state it had.
    void okEnterEscAndCloseUnload()
    {
        const std::function<void(FrmAbout&)> ways[] = {
            [](FrmAbout& w) { w.findChild<QPushButton*>("cmdOK")->click(); },
            [](FrmAbout& w) { QTest::keyClick(&w, Qt::Key_Return); },
            [](FrmAbout& w) { QTest::keyClick(&w, Qt::Key_Escape); },
            [](FrmAbout& w) { w.close(); },
        };
        for (const auto& closeIt : ways) {
            QPointer<FrmAbout> w = &openFromMenu();
            closeIt(*w);
            QVERIFY(!program_->frmAbout().exists());
            flushUnloads();
            QVERIFY(w.isNull());
        }
        QVERIFY(fake_->dialogs.shown.empty()); // closing never ran the lookup
    }

    // Catches a check of the full path before starting it, or a look at the
    // folder key when the full path is there.
    void pathValueIsStartedAsItStands()
    {
        registry().keys[kPathKey]["PATH"] = ScriptedRegistry::text("C:\\Tools\\msinfo32.exe");
        registry().keys[kFolderKey]["MSINFO"] = ScriptedRegistry::text("C:\\Elsewhere");
        openFromMenu();
        pressSysInfo();

        QCOMPARE(process().started, std::vector<QString>{QStringLiteral("C:\\Tools\\msinfo32.exe")});
        QCOMPARE(registry().opened, std::vector<std::string>{kPathKey});
        QVERIFY(process().existsAsked.empty());
        QCOMPARE(messagesShown(), 0);
        QVERIFY(registry().handles.empty());
        QVERIFY(about().isVisible());
        // Reading must not need rights that only an administrator has.
        for (std::uint32_t access : registry().accessAsked)
            QCOMPARE(access & kWriteRights, 0u);
    }

    // Catches starting a tool that is not in the folder, or a wrong file name.
    void folderValueIsUsedOnlyWhenTheToolIsThere()
    {
        const QString tool = QStringLiteral("C:\\Program Files\\MSInfo\\MSINFO32.EXE");
        registry().keys[kFolderKey]["MSINFO"] = ScriptedRegistry::text("C:\\Program Files\\MSInfo");
        openFromMenu();

        pressSysInfo(); // no such file
        QCOMPARE(process().existsAsked, std::vector<QString>{tool});
        QVERIFY(process().started.empty());
        verifyUnavailableMessage();

        process().files.insert(tool);
        pressSysInfo();
        QCOMPARE(process().started, std::vector<QString>{tool});
        QCOMPARE(messagesShown(), 1);
        QVERIFY(registry().handles.empty());
    }

    // Catches a value of an unexpected type being taken for a path: it counts
    // as read, so the folder key is not tried, and starting nothing fails.
    void pathOfAnotherTypeFailsIntoTheMessage()
    {
        registry().keys[kPathKey]["PATH"] = {2 /* REG_EXPAND_SZ */, std::string("%SystemRoot%\\x.exe\0", 19)};
        registry().keys[kFolderKey]["MSINFO"] = ScriptedRegistry::text("C:\\MSInfo");
        process().files.insert(QStringLiteral("C:\\MSInfo\\MSINFO32.EXE"));
        openFromMenu();
        pressSysInfo();

        QCOMPARE(process().started, std::vector<QString>{QString()});
        QCOMPARE(registry().opened, std::vector<std::string>{kPathKey});
        verifyUnavailableMessage();
    }

    // Catches a failed start that escapes, closes the window or blocks a retry.
    void failedStartShowsTheMessageAndTheWindowStaysUsable()
    {
        registry().keys[kPathKey]["PATH"] = ScriptedRegistry::text("C:\\Gone\\msinfo32.exe");
        process().startSucceeds = false;
        openFromMenu();
        pressSysInfo();
        verifyUnavailableMessage();
        QVERIFY(program_->frmAbout().exists());
        QVERIFY(about().isVisible());

        process().startSucceeds = true;
        pressSysInfo(); // the whole lookup runs again
        QCOMPARE(registry().opened.size(), size_t(2));
        QCOMPARE(process().started.size(), size_t(2));
        QCOMPARE(messagesShown(), 1);
    }

    // Catches a lost last character, a kept terminating NUL, or text not
    // converted from the ANSI code page.
    void getKeyValueCutsOnlyATrailingNul()
    {
        registry().keys["K"]["withNul"] = ScriptedRegistry::text("C:\\a.exe");
        registry().keys["K"]["withoutNul"] = ScriptedRegistry::text("C:\\b.exe", false);
        registry().keys["K"]["\xe4iti"] = ScriptedRegistry::text("C:\\P\xe4\xe4");
        QString v;
        QVERIFY(about().GetKeyValue(HKEY_LOCAL_MACHINE, "K", "withNul", v));
        QCOMPARE(v, QStringLiteral("C:\\a.exe"));
        QVERIFY(about().GetKeyValue(HKEY_LOCAL_MACHINE, "K", "withoutNul", v));
        QCOMPARE(v, QStringLiteral("C:\\b.exe"));
        QVERIFY(about().GetKeyValue(HKEY_LOCAL_MACHINE, "K", QStringLiteral("äiti"), v));
        QCOMPARE(v, QStringLiteral("C:\\Pää"));
        QVERIFY(registry().handles.empty());
    }

    // Catches a misread number, an other-typed value overwriting KeyVal, and
    // an empty value read as garbage or leaving its key open.
    void getKeyValueOfNumbersOtherTypesAndEmptyValues()
    {
        registry().keys["K"]["number"] = {REG_DWORD, std::string("\x03\x02\x01\x00", 4)};
        registry().keys["K"]["small"] = {REG_DWORD, std::string("\x05\x01\x00\x00", 4)};
        registry().keys["K"]["binary"] = {3 /* REG_BINARY */, "\x01\x02"};
        registry().keys["K"]["empty"] = {REG_SZ, ""};
        QString v;
        QVERIFY(about().GetKeyValue(HKEY_LOCAL_MACHINE, "K", "number", v));
        QCOMPARE(v, QStringLiteral("&h10203"));
        QVERIFY(about().GetKeyValue(HKEY_LOCAL_MACHINE, "K", "small", v));
        QCOMPARE(v, QStringLiteral("&h105"));
        v = QStringLiteral("before");
        QVERIFY(about().GetKeyValue(HKEY_LOCAL_MACHINE, "K", "binary", v));
        QCOMPARE(v, QStringLiteral("before"));
        QVERIFY(about().GetKeyValue(HKEY_LOCAL_MACHINE, "K", "empty", v));
        QCOMPARE(v, QString());
        QVERIFY(registry().handles.empty());
    }

    // Catches a failed read that keeps a stale value or leaves its key open.
    void getKeyValueFailuresClearKeyValAndCloseTheKey()
    {
        registry().keys["K"]["big"] = {REG_SZ, std::string(1025, 'x')};
        QString v = QStringLiteral("stale");
        QVERIFY(!about().GetKeyValue(HKEY_LOCAL_MACHINE, "Missing", "PATH", v));
        QCOMPARE(v, QString());
        v = QStringLiteral("stale");
        QVERIFY(!about().GetKeyValue(HKEY_LOCAL_MACHINE, "K", "missing", v));
        QCOMPARE(v, QString());
        v = QStringLiteral("stale");
        QVERIFY(!about().GetKeyValue(HKEY_LOCAL_MACHINE, "K", "big", v)); // over the 1024-byte buffer
        QCOMPARE(v, QString());
        QVERIFY(registry().handles.empty());
    }

#ifdef Q_OS_WIN
    // Catches a lookup that misses the second key, waits for the tool, or
    // starts what is not there: the keys set with reg.exe in the real
    // HKEY_LOCAL_MACHINE, the tool started through the real window.
    void theRealRegistryLeadsToTheTool_data()
    {
        QTest::addColumn<QString>("path");    // "PATH" of the first key, or none
        QTest::addColumn<QString>("folder");  // "MSINFO" of the second, or none
        QTest::addColumn<QString>("started"); // the tool started, or none: the message
        const QString sys = qEnvironmentVariable("SystemRoot") + "\\system32";
        const QString tool = sys + "\\msinfo32.exe";
        QTest::newRow("full path") << tool << QString() << tool;
        QTest::newRow("full path first") << tool << "C:\\nowhere" << tool;
        QTest::newRow("folder only") << QString() << sys << sys + "\\MSINFO32.EXE";
        QTest::newRow("neither") << QString() << QString() << QString();
        QTest::newRow("no such program") << "C:\\nowhere\\msinfo32.exe" << QString() << QString();
        QTest::newRow("folder without it") << QString() << "C:\\nowhere" << QString();
    }
    void theRealRegistryLeadsToTheTool()
    {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QFETCH(QString, started);
        const auto set = [](const std::string& key, const QString& name, const QString& value) {
            const QString at = "HKLM\\" + QString::fromStdString(key);
            QProcess::execute("reg", {"delete", at, "/f"});
            return value.isEmpty() || QProcess::execute("reg", {"add", at, "/v", name, "/d", value, "/f"}) == 0;
        };
        if (!set(kPathKey, "PATH", path) || !set(kFolderKey, "MSINFO", folder))
            QSKIP("reg.exe may not write HKEY_LOCAL_MACHINE here (not an administrator)");
        struct : Process {
            QtProcess real;
            std::vector<QString> started;
            void endProgram() override {}
            bool fileExists(const QString& p) override { return real.fileExists(p); }
            bool startProgram(const QString& p) override { return started.push_back(p), real.startProgram(p); }
        } launcher;
        WinRegistry registry;
        Platform platform{fake_->dialogs, fake_->timeOfDay, fake_->random, launcher, registry};
        Program program(platform);
        program.vikkelo().get().findChild<QAction*>("menuTietoja")->trigger();
        program.frmAbout().get().findChild<QPushButton*>("cmdSysInfo")->click();
        if (started.isEmpty())
            return verifyUnavailableMessage();
        QCOMPARE(launcher.started, std::vector<QString>{started});
        QCOMPARE(messagesShown(), 0);
        // The click came back while the tool runs on, a process of its own.
        bool ended = false; // taskkill finds it, and ends it
        for (int i = 0; i < 50 && !ended; ++i, QTest::qWait(50))
            ended = QProcess::execute("taskkill", {"/F", "/IM", "msinfo32.exe"}) == 0;
        QVERIFY(ended);
    }
#else
    // Catches a stand-in that offers no tool, or one that is not there to run.
    void standInRegistryOffersAnInstalledTool()
    {
        const QString bin = dir_->file(QStringLiteral("bin"));
        QVERIFY(QDir().mkpath(bin));
        QFile notRunnable(bin + QStringLiteral("/kinfocenter"));
        QVERIFY(notRunnable.open(QIODevice::WriteOnly));
        notRunnable.close();

        StandInRegistry standIn({bin});
        Platform platform{fake_->dialogs, fake_->timeOfDay, fake_->random, fake_->process, standIn};
        Program program(platform);
        program.frmAbout().get().StartSysInfo();
        QVERIFY(process().started.empty());
        verifyUnavailableMessage();

        QFile tool(bin + QStringLiteral("/hardinfo"));
        QVERIFY(tool.open(QIODevice::WriteOnly));
        tool.setPermissions(tool.permissions() | QFileDevice::ExeOwner);
        tool.close();
        program.frmAbout().get().StartSysInfo();
        QCOMPARE(process().started, std::vector<QString>{bin + QStringLiteral("/hardinfo")});
        QCOMPARE(messagesShown(), 1);
    }
#endif

    // Catches a launcher that would run a relative name from the working
    // folder, a path cut short at a NUL, or a folder taken for a file.
    void qtProcessStartsOnlyFullPaths()
    {
        QtProcess real;
        QFile planted(dir_->file(QStringLiteral("tool")));
        QVERIFY(planted.open(QIODevice::WriteOnly));
        planted.write("#!/bin/sh\nexit 0\n");
        planted.setPermissions(planted.permissions() | QFileDevice::ExeOwner);
        planted.close();

        QVERIFY(!real.startProgram(QString()));
        QVERIFY(!real.startProgram(QStringLiteral("./tool")));
        QVERIFY(!real.startProgram(QStringLiteral("/bin/true") + QChar(u'\0') + QStringLiteral("x")));
        QVERIFY(!real.startProgram(dir_->file(QStringLiteral("missing"))));
        QVERIFY(real.fileExists(planted.fileName()));
        QVERIFY(!real.fileExists(dir_->path()));
        QVERIFY(!real.fileExists(QString()));
    }
};

QTEST_MAIN(TestFrmAbout)
#include "tst_frmabout.moc"
