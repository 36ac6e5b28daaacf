// SPDX-License-Identifier: MIT
// Answers the dialog's modal questions at once and records what was asked.
#pragma once

#include "ui/dialog_prompts.h"

#include <QStringList>

namespace corvane::test {

class FakePrompts : public CDialogPrompts {
public:
    void ShowMessage(QWidget*, const QString& text) override { messages << text; }
    void ShowFailure(QWidget*, const QString& text) override { failures << text; }
    bool AskExit(QWidget*) override
    {
        ++nExitQuestions;
        return bExitAnswer;
    }
    std::optional<QString> AskSavePath(QWidget*, const QString& folder) override
    {
        ++nSaveQuestions;
        saveFolders << folder;
        return savePath;
    }

    QStringList messages;
    QStringList failures;
    int nExitQuestions = 0;
    bool bExitAnswer = false;
    int nSaveQuestions = 0;
    std::optional<QString> savePath;  // nullopt: the file dialog is cancelled
    QStringList saveFolders;          // the folder each file dialog opened in
};

}  // namespace corvane::test
