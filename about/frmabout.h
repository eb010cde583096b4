#pragma once

#include "platform/registry.h"

#include <QDialog>

#include <memory>

class Dialogs;
class Process;
template <class W> class WindowInstance;
namespace Ui { class FrmAbout; }

// The About window: what the program is, who made it, and a button that
// starts the system-information tool.
class FrmAbout : public QDialog {
    Q_OBJECT

public:
    // Closing the window unloads it from instance, the one that holds it.
    FrmAbout(Dialogs& dialogs, Process& process, Registry& registry, WindowInstance<FrmAbout>& instance);
    ~FrmAbout() override;

    // The window has no load step of its own.
    void load() {}

    // Finds the system-information tool through the registry and starts it,
    // or tells the player it is not available.
    void StartSysInfo();

    // Reads the value SubKeyRef of the key KeyName under KeyRoot into KeyVal.
    // True when the value was read; a value of a type other than text or
    // 32-bit number counts as read but leaves KeyVal as it was.
    bool GetKeyValue(Registry::Key KeyRoot, const QString& KeyName, const QString& SubKeyRef,
                     QString& KeyVal);

    // Closing the window by any means (OK, Enter, Esc, the title bar) unloads
    // it rather than merely hiding it.
    void done(int result) override;

protected:
    void changeEvent(QEvent* event) override;

private:
    // The design's black and red texts, or the scheme's text colour where
    // those would not stand out from the window.
    void applyTextColours();
    void cmdOKClicked();
    void cmdSysInfoClicked();

    std::unique_ptr<Ui::FrmAbout> ui_;
    Dialogs& dialogs_;
    Process& process_;
    Registry& registry_;
    WindowInstance<FrmAbout>& instance_;
};
