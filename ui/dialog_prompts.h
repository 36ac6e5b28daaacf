// SPDX-License-Identifier: MIT
// The modal questions and messages of the main dialog, behind one seam so that tests can
// answer them without a nested event loop.
#pragma once

#include "resource.h"

#include <QString>

#include <optional>

class QWidget;

namespace corvane {

// Every box is captioned kApplicationName and drawn in its parent's face, like the dialog.
class CDialogPrompts {
public:
    virtual ~CDialogPrompts() = default;

    // An OK box without icon.
    virtual void ShowMessage(QWidget* pParent, const QString& text);
    // An OK box with a warning icon, for something that failed.
    virtual void ShowFailure(QWidget* pParent, const QString& text);
    // "終了しますか?" with Yes and No, No the default; true unless the answer is No.
    virtual bool AskExit(QWidget* pParent);
    // The save-file dialog, opened in folder (the current one when empty) with no file name
    // filled in; the chosen path, or nullopt when cancelled. It asks before overwriting and
    // adds no extension.
    virtual std::optional<QString> AskSavePath(QWidget* pParent, const QString& folder);
};

// Returns text with a line-break opportunity after every "/" and within every run of more than
// 20 characters that has none, so that a long path wraps inside a box instead of widening it.
QString WithLineBreaks(const QString& text);

}  // namespace corvane
