#include "app/program.h"

#include "about/frmabout.h"
#include "game/vikkelo.h"
#include "top5/board.h"
#include "top5/sijoitus.h"
#include "top5/tiedot.h"

#include <QLabel>

// What the TOP5 routines use of the board, from the board's one instance.
class Program::BoardOfVikkelo final : public Board {
public:
    explicit BoardOfVikkelo(WindowInstance<Vikkelo>& vikkelo) : vikkelo_(vikkelo) {}

    QString pisteet() const override { return vikkelo_.get().pisteet().text(); }
    void Lopetus() override { vikkelo_.get().Lopetus(); }
    void setT(int answer) override { vikkelo_.get().round().setT(answer); }

private:
    WindowInstance<Vikkelo>& vikkelo_;
};

Program::Program(Platform& platform)
    : platform_(platform),
      board_(std::make_unique<BoardOfVikkelo>(vikkelo_)),
      tiedot_(std::make_unique<Tiedot>(platform_.dialogs, sijoitus_, *board_)),
      vikkelo_([this] {
          return new Vikkelo(platform_.timeOfDay, platform_.random, platform_.process, *tiedot_,
                             [this] { sijoitus_.show(); }, [this] { frmAbout_.show(); });
      }),
      sijoitus_([this] { return new Sijoitus(*tiedot_, platform_.dialogs, sijoitus_); }),
      frmAbout_([this] {
          return new FrmAbout(platform_.dialogs, platform_.process, platform_.registry, frmAbout_);
      })
{
}

// The windows go before the module whose routines they call.
Program::~Program() = default;
