#pragma once

#include "platform/dialogs.h"

// Message and input boxes drawn by Qt, with Finnish buttons whatever the
// system's language.
class QtDialogs final : public Dialogs {
public:
    int msgBox(const QString& text, Buttons buttons, const QString& title = {}) override;
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;
};
