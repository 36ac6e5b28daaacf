// SPDX-License-Identifier: MIT
// The main dialog: what to announce, the amplitude and the volume; Play, Save, the frame in
// hexadecimal, and leaving through a confirmation.
#pragma once

#include "dialog_controller.h"
#include "dialog_prompts.h"
#include "dialog_template.h"
#include "base/status.h"

#include <QDialog>
#include <QIcon>
#include <QMap>

#include <memory>

class QCloseEvent;
class QSlider;

namespace corvane {

class CCorvaneDlg : public QDialog, private CDialogView {
    Q_OBJECT

public:
    // pPrompts answers the dialog's modal questions; nullptr for the real boxes and file
    // dialog. It must outlive the dialog.
    explicit CCorvaneDlg(CDialogPrompts* pPrompts = nullptr, QWidget* pParent = nullptr);
    ~CCorvaneDlg() override;

    // The control with a template id, or nullptr.
    QWidget* GetDlgItem(int id) const;
    // Whether the playback device could be opened, and if not, why; meaningful once DeviceChecked.
    const Status& DeviceStatus() const { return m_controller.DeviceStatus(); }
    // Whether the device check, which starts once the window is painted, has answered.
    bool DeviceChecked() const { return m_controller.DeviceChecked(); }

protected:
    bool PreTranslateMessage(QObject* pTarget, QEvent* pEvent);
    bool OnInitDialog();

    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
    void closeEvent(QCloseEvent* pEvent) override;
    bool focusNextPrevChild(bool bNext) override;
    void showEvent(QShowEvent* pEvent) override;
    void paintEvent(QPaintEvent* pEvent) override;

private:
    void CreateControls();
    void FitTextToControls();
    void MessageMap();
    int OnCreate();
    void OnDestroy();
    void OnPlay();
    void OnRadioNumber();
    void OnRadioReason();
    void OnSaveWave();
    void OnHScroll(int position);
    void OnShortcut(int id);
    void OnExit();
    void OnClose(QCloseEvent* pEvent);

    // What the controller asks of the window.
    void DoDataExchange(bool bSaveAndValidate, DialogFields& fields) override;
    std::string NumberText() const override;
    void SetText(int id, const std::string& text) override;
    void SetVolume(int position) override;
    void Enable(int id, bool bEnabled, bool bParkFocus) override;
    void SetTip(int id, const std::string& text) override;
    bool HasFocus(int id) const override;
    bool FocusIsParked() const override;
    void Focus(int id, bool bByShortcut) override;
    // The boxes and the file dialog, through the prompts.
    void ShowMessage(const std::string& text) override;
    void ShowFailure(const std::string& text) override;
    bool AskExit() override;
    std::optional<SaveChoice> AskSavePath(const std::string& folder) override;
    // Queued to the dialog itself, which drops it when it goes first.
    void Post(std::function<void()> task) override;
    void Close() override;

    QSlider* m_ctlVolume = nullptr;
    QIcon m_hIcon;

    DialogTemplate m_template;
    QMap<int, QWidget*> m_controls;
    QMap<int, QString> m_shortcutTips;  // tooltips naming the shortcut, by control id
    std::unique_ptr<CDialogPrompts> m_pOwnPrompts;
    CDialogPrompts* m_pPrompts;
    CDialogController m_controller;
};

}  // namespace corvane
