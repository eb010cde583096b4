#pragma once

#include "platform/platform.h"
#include "platform/qtdialogs.h"
#include "platform/qtprocess.h"
#include "platform/random.h"
#include "platform/timeofday.h"
#ifdef Q_OS_WIN
#include "platform/winregistry.h"
#else
#include "platform/standinregistry.h"
#endif

// The operating system's real services, as the program itself uses them.
struct SystemPlatform {
    QtDialogs dialogs;
    SystemTimeOfDay timeOfDay;
    SplitMixRandom random;
    QtProcess process;
#ifdef Q_OS_WIN
    WinRegistry registry;
#else
    // No registry here: a stand-in points the About window at a local tool.
    StandInRegistry registry;
#endif
    Platform platform{dialogs, timeOfDay, random, process, registry};
};
