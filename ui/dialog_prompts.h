// The modal questions and messages of the main dialog, behind one seam so that tests can
// answer them without a nested event loop.
#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace corvane {

class CDialogPrompts {
public:
    virtual ~CDialogPrompts() = default;

    // An OK box without icon, captioned with the application's name.
    virtual void ShowMessage(QWidget* pParent, const QString& text);
    // An OK box with a warning icon, for something that failed.
    virtual void ShowFailure(QWidget* pParent, const QString& text);
    // "終了しますか?" with Yes and No, No the default; true unless the answer is No.
    virtual bool AskExit(QWidget* pParent);
    // The save-file dialog; the chosen path, or nullopt when cancelled. It asks before
    // overwriting and adds no extension.
    virtual std::optional<QString> AskSavePath(QWidget* pParent);
};

}  // namespace corvane
