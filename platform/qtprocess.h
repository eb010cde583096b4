#pragma once

#include "platform/process.h"

class QtProcess final : public Process {
public:
    void endProgram() override;
};
