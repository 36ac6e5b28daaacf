// SPDX-License-Identifier: MIT
// The main dialog: what to announce, the amplitude and the volume; Play, Save, the frame in
// hexadecimal, and leaving through a confirmation.
#pragma once

#include "dialog_prompts.h"
#include "dialog_template.h"
#include "signal/compose.h"
#include "base/status.h"

#include <QDialog>
#include <QIcon>
#include <QMap>

#include <memory>

class QCloseEvent;
class QSlider;

namespace corvane {

class CCorvaneDlg : public QDialog {
    Q_OBJECT

public:
    // pPrompts answers the dialog's modal questions; nullptr for the real boxes and file
    // dialog. It must outlive the dialog.
    explicit CCorvaneDlg(CDialogPrompts* pPrompts = nullptr, QWidget* pParent = nullptr);
    ~CCorvaneDlg() override;

    // The control with a template id, or nullptr.
    QWidget* GetDlgItem(int id) const;
    // Whether the playback device could be opened, and if not, why; meaningful once DeviceChecked.
    const Status& DeviceStatus() const { return m_deviceStatus; }
    // Whether the device check, which starts once the window is painted, has answered.
    bool DeviceChecked() const { return m_bDeviceChecked; }

protected:
    void DoDataExchange(bool bSaveAndValidate);
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
    void OnPlayEnded(const Status& outcome);
    void OnDeviceChecked(const Status& device);
    enum class PlayState { Ready, Playing, Checking, NoDevice };
    void SetPlayState(PlayState state);
    void UpdateInputEnables();
    void SendSignal(ComposeMode mode);
    void PlayRequest(const NotificationRequest& request);
    void SaveRequest(const NotificationRequest& request);
    SampleBuffer* BufferForSave();
    void SetFrameText(const std::string& text);
    void ShowDeviceProblem();

    QSlider* m_ctlVolume = nullptr;
    int m_nInfoKind = -1;
    int m_nReason = -1;
    int m_nAmplitude = -1;
    QIcon m_hIcon;

    DialogTemplate m_template;
    QMap<int, QWidget*> m_controls;
    QMap<int, QString> m_shortcutTips;  // tooltips naming the shortcut, by control id
    std::unique_ptr<CDialogPrompts> m_pOwnPrompts;
    CDialogPrompts* m_pPrompts;
    Status m_deviceStatus;
    bool m_bPlayPending = false;
    bool m_bPlayHadFocus = false;  // Play had the focus when it was disabled
    QString m_strSaveFolder;       // where the last save went, for the next file dialog
    bool m_bEnding = false;
    bool m_bShown = false;
    bool m_bDeviceCheckStarted = false;
    bool m_bDeviceChecked = false;
    // For a save while the playback buffer belongs to the device, or when it has none.
    std::unique_ptr<SampleBuffer> m_pSaveBuffer;
};

}  // namespace corvane
