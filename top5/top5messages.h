#pragma once

#include "top5/top5store.h"

#include <QString>

// The player's words for what the TOP5 store answers: every problem it can
// meet, and every system error behind one, in Finnish.
namespace top5messages {

// What to tell after the store's answer, for a load, a clear, or a save that
// either loses nothing or closes the window anyway. Empty when all went well.
QString text(const Top5Store::Outcome& outcome);
// A failed save, with the question whether to close the ranking window
// without saving (when new scores would be lost).
QString saveQuestion(const Top5Store::Outcome& outcome);
// A failed save on the way out, with the question whether to quit anyway.
QString quitQuestion(const Top5Store::Outcome& outcome);
// What makes two problems the same, so that one is told only once a run.
struct Cause {
    Top5Store::Problem problem;
    EntryKind kind;
    FileError error;
    QString keptAs;
    bool operator==(const Cause&) const = default;
};
Cause cause(const Top5Store::Outcome& outcome);
// Why a call on a file failed.
QString reason(const FileError& error);

} // namespace top5messages
