#pragma once

#include "platform/process.h"

class QtProcess final : public Process {
public:
    void endProgram() override;
    bool fileExists(const QString& path) override;
    bool startProgram(const QString& path) override;
};
