#pragma once

#include <QDialog>

#include <memory>

class Program;
namespace Ui { class FrmAbout; }

// The About window: what the program is, who made it, and a button that
// starts the system-information tool.
class FrmAbout : public QDialog {
    Q_OBJECT

public:
    explicit FrmAbout(Program& program);
    ~FrmAbout() override;

    // The window has no load step of its own.
    void load() {}

private:
    std::unique_ptr<Ui::FrmAbout> ui_;
    Program& program_;
};
