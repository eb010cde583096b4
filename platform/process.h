#pragma once

#include <QString>

// The process services the game needs of its operating system.
class Process {
public:
    virtual ~Process() = default;
    // Ends the program at once: no window's closing steps run, nothing is saved.
    virtual void endProgram() = 0;
};
