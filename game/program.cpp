#include "game/program.h"

#include "about/frmabout.h"
#include "game/vikkelo.h"
#include "desktop/accessibility.h"
#include "desktop/fonts.h"
#include "top5/sijoitus.h"
#include "top5/tiedot.h"

Program::Program(Platform& platform)
    : platform_(platform),
      tiedot_(std::make_unique<Tiedot>(*this)),
      vikkelo_([this] { return new Vikkelo(*this); }),
      sijoitus_([this] { return new Sijoitus(*this); }),
      frmAbout_([this] {
          return new FrmAbout(platform_.dialogs, platform_.process, platform_.registry, frmAbout_);
      })
{
    installFontSubstitutes();
    installAccessibleRoles();
}

// The windows go before the module whose routines they call.
Program::~Program() = default;
