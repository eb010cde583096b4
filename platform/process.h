#pragma once

#include <QString>

// The process services the game needs of its operating system.
class Process {
public:
    virtual ~Process() = default;
    // Ends the program at once: no window's closing steps run, nothing is saved.
    virtual void endProgram() = 0;
    // Whether a file (not a folder) exists at the path.
    virtual bool fileExists(const QString& path) = 0;
    // Starts the program at a full path in a normal window, with no arguments,
    // as a separate process nobody waits for. False when it cannot be started.
    virtual bool startProgram(const QString& path) = 0;
};
