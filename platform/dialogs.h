#pragma once

#include <QString>

// Modal message and input boxes. The game asks its questions through this
// interface so that tests can answer them from a script.
class Dialogs {
public:
    // Answers, as the message box returns them.
    enum Answer { Ok = 1, Cancel = 2, Yes = 6, No = 7 };
    // Button sets; the first button of each set is the default, except in
    // YesNoDefaultNo, for a question whose Yes loses something.
    enum class Buttons { Ok, OkCancel, YesNo, YesNoDefaultNo };

    virtual ~Dialogs() = default;

    // Shows text with the given buttons and no icon. An empty title means the
    // program's own title, "Vikkelo".
    virtual int msgBox(const QString& text, Buttons buttons, const QString& title = {}) = 0;

    // Asks for one line of text. Returns what was typed, or the empty text when
    // the box is cancelled or closed.
    virtual QString inputBox(const QString& prompt, const QString& title,
                             const QString& defaultText) = 0;
};

// The title every message box without one of its own carries.
inline const QString kProgramTitle = QStringLiteral("Vikkelo");
