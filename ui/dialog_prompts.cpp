#include "dialog_prompts.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace corvane {

namespace {

void ShowOkBox(QWidget* pParent, QMessageBox::Icon icon, const QString& text)
{
    QMessageBox box(icon, QCoreApplication::applicationName(), text, QMessageBox::Ok, pParent);
    box.exec();
}

}  // namespace

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
    QMessageBox box(QMessageBox::Question, QCoreApplication::applicationName(),
                    QStringLiteral("終了しますか?"), QMessageBox::Yes | QMessageBox::No, pParent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() != QMessageBox::No;
}

std::optional<QString> CDialogPrompts::AskSavePath(QWidget* pParent)
{
    const QString path = QFileDialog::getSaveFileName(pParent, QString(), QString(),
                                                      QStringLiteral("Wave File(*.wav);;All files(*.*)"));
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

}  // namespace corvane
