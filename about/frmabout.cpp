#include "about/frmabout.h"

#include "game/program.h"
#include "ui_frmabout.h"

FrmAbout::FrmAbout(Program& program) : ui_(std::make_unique<Ui::FrmAbout>()), program_(program)
{
    ui_->setupUi(this);
    setFixedSize(minimumSize());
}

FrmAbout::~FrmAbout() = default;
