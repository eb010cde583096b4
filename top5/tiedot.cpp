#include "top5/tiedot.h"

#include "game/program.h"

Tiedot::Tiedot(Program& program) : program_(program) {}

void Tiedot::LataaTop5() {}

bool Tiedot::TallennaTop5()
{
    return true;
}

bool Tiedot::OletusTop5()
{
    return true;
}

void Tiedot::LisaaTop5() {}

void Tiedot::endOfGame() {}
