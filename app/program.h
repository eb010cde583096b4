#pragma once

#include "platform/platform.h"
#include "desktop/windowinstance.h"

#include <memory>

class Vikkelo;
class Sijoitus;
class FrmAbout;
class Tiedot;

// The whole program: its three windows, each with one instance for the whole
// run, the TOP5 module, and the platform services they use. The only code
// that knows them all: each is handed here just what it uses.
class Program {
public:
    explicit Program(Platform& platform);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    Platform& platform() { return platform_; }
    Tiedot& tiedot() { return *tiedot_; }

    WindowInstance<Vikkelo>& vikkelo() { return vikkelo_; }
    WindowInstance<Sijoitus>& sijoitus() { return sijoitus_; }
    WindowInstance<FrmAbout>& frmAbout() { return frmAbout_; }

private:
    class BoardOfVikkelo;

    Platform& platform_;
    std::unique_ptr<BoardOfVikkelo> board_;
    std::unique_ptr<Tiedot> tiedot_;
    WindowInstance<Vikkelo> vikkelo_;
    WindowInstance<Sijoitus> sijoitus_;
    WindowInstance<FrmAbout> frmAbout_;
};
