#pragma once

class Dialogs;
class TimeOfDay;
class Random;
class Process;
class Registry;

// The services of the operating system that the game's windows use, handed
// to them together. The program passes the real ones, tests their doubles.
struct Platform {
    Dialogs& dialogs;
    TimeOfDay& timeOfDay;
    Random& random;
    Process& process;
    Registry& registry;
};
