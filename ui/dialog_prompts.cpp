// SPDX-License-Identifier: MIT
#include "dialog_prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace corvane {

namespace {

// The dialog's Japanese face, not the desktop's: a box must read like the window it belongs to.
void UseFaceOf(QWidget* pParent, QWidget& box)
{
    box.setFont(pParent != nullptr ? pParent->font() : QApplication::font());
}

void ShowOkBox(QWidget* pParent, QMessageBox::Icon icon, const QString& text)
{
    QMessageBox box(icon, QString::fromLatin1(kApplicationName), WithLineBreaks(text), QMessageBox::Ok, pParent);
    UseFaceOf(pParent, box);
    box.exec();
}

}  // namespace

QString WithLineBreaks(const QString& text)
{
    constexpr int kLongestRun = 20;
    constexpr QChar kZeroWidthSpace(0x200B);
    QString result;
    int run = 0;
    for (const QChar ch : text) {
        if (ch.isSpace())
            run = 0;
        else if (++run > kLongestRun) {
            result += kZeroWidthSpace;
            run = 1;
        }
        result += ch;
        if (ch == QLatin1Char('/')) {
            result += kZeroWidthSpace;
            run = 0;
        }
    }
    return result;
}

void CDialogPrompts::ShowMessage(QWidget* pParent, const QString& text)
{
    ShowOkBox(pParent, QMessageBox::NoIcon, text);
}

void CDialogPrompts::ShowFailure(QWidget* pParent, const QString& text)
{
    ShowOkBox(pParent, QMessageBox::Warning, text);
}

bool CDialogPrompts::AskExit(QWidget* pParent)
{
    QMessageBox box(QMessageBox::Question, QString::fromLatin1(kApplicationName), QStringLiteral("終了しますか?"),
                    QMessageBox::Yes | QMessageBox::No, pParent);
    box.setDefaultButton(QMessageBox::No);
    UseFaceOf(pParent, box);
    return box.exec() != QMessageBox::No;
}

std::optional<QString> CDialogPrompts::AskSavePath(QWidget* pParent, const QString& folder)
{
    // Each entry shows its text and matches by the pattern hidden after it: "*.*" would list
    // only names with a dot here, where names need none.
    QFileDialog dialog(pParent, QString(), folder, QStringLiteral("Wave File(*.wav) (*.wav);;All files(*.*) (*)"));
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    UseFaceOf(pParent, dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

}  // namespace corvane
