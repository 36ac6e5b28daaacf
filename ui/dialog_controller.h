// SPDX-License-Identifier: MIT
// The main dialog's behaviour, the same on every platform: the fields read into a request and
// checked, the signal composed and played or saved, Play's state and its tooltip, the device
// check and the end of a play, the question before leaving, and what each shortcut does. A view
// (Qt on Linux, user32 on Windows) builds the controls from the template, forwards the
// operator's actions and the system's notices here, and carries out what the controller asks.
#pragma once

#include "base/status.h"
#include "signal/compose.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace corvane {

// The choices of the dialog's data exchange: the mode (0 the number, 1 the reason, -1 none),
// and the reason's and the amplitude's index in their lists (-1 none).
struct DialogFields {
    int nInfoKind = -1;
    int nReason = -1;
    int nAmplitude = -1;
};

// A file the operator chose to save to: its path as the safe save takes it, and the folder the
// next file dialog opens in, as the view gives it back.
struct SaveChoice {
    std::string path;
    std::string folder;
};

// What the controller asks of a view. Every call comes on the dialog's thread but Post, which
// may come on any thread.
class CDialogView {
public:
    virtual ~CDialogView() = default;

    // Dialog data exchange: reads the controls into fields with bSaveAndValidate, else sets
    // the controls from fields.
    virtual void DoDataExchange(bool bSaveAndValidate, DialogFields& fields) = 0;
    // The number field's text, as UTF-8.
    virtual std::string NumberText() const = 0;
    // Sets the text of control id (the number field, the status line's hexadecimal digits).
    virtual void SetText(int id, const std::string& text) = 0;
    // Sets the volume control's range to 0 to 100 and its position, as no move of the operator's.
    virtual void SetVolume(int position) = 0;
    // Enables or disables control id. Disabling with bParkFocus leaves the focus on the dialog
    // itself, where keys do nothing, instead of handing it to the next control.
    virtual void Enable(int id, bool bEnabled, bool bParkFocus = false) = 0;
    // The tooltip of control id; empty for its own, which names its shortcut. A disabled control
    // shows its tooltip too.
    virtual void SetTip(int id, const std::string& text) = 0;
    virtual bool HasFocus(int id) const = 0;
    // Whether the focus is on the dialog itself or nowhere: parked, not moved on by the operator.
    virtual bool FocusIsParked() const = 0;
    // Moves the focus to control id; bByShortcut as a shortcut moves it (selecting a field's text).
    virtual void Focus(int id, bool bByShortcut = false) = 0;

    // An OK box without icon, and one with a warning icon for what failed (UTF-8 texts).
    virtual void ShowMessage(const std::string& text) = 0;
    virtual void ShowFailure(const std::string& text) = 0;
    // "終了しますか?" with Yes and No, No the default; true unless the answer is No.
    virtual bool AskExit() = 0;
    // The save-file dialog opened in folder (the current one when empty), asking before it
    // overwrites; nullopt when cancelled.
    virtual std::optional<SaveChoice> AskSavePath(const std::string& folder) = 0;
    // Ends the dialog.
    virtual void Close() = 0;
    // Runs task later on the dialog's thread; callable from any thread. A task posted to a
    // dialog that has gone is dropped.
    virtual void Post(std::function<void()> task) = 0;
};

// The keys the dialog takes before any control: Enter presses no default button and Escape
// does not close the dialog.
enum class DialogKey { Enter, Escape, Other };

class CDialogController {
public:
    explicit CDialogController(CDialogView& view);
    ~CDialogController();
    CDialogController(const CDialogController&) = delete;
    CDialogController& operator=(const CDialogController&) = delete;

    // The window is being made: the playback buffer is allocated, the device not yet checked.
    int OnCreate();
    // The controls exist: their first values, the inputs' and Play's states.
    bool OnInitDialog();
    // The window is on screen: a device problem already known is said now.
    void OnShown();
    // The window has been drawn: the device is checked, once, on a thread of its own.
    void StartDeviceCheck();
    // The window goes: a play in progress is reset and the playback closed.
    void OnDestroy();

    void OnPlay();
    void OnSaveWave();
    // A mode's radio button was clicked.
    void OnModeChanged();
    void OnVolume(int position);
    // Alt and a control's letter: presses its button, or chooses its mode and moves on to the
    // mode's input, when the control is enabled.
    void OnShortcut(int id);
    // The Exit button: ends the dialog after asking.
    void OnExit();
    // The close box: whether the dialog may close (asked unless it is ending already).
    bool OnClose();
    // Whether key is taken before the control that has the focus, and so does nothing.
    static bool SwallowsKey(DialogKey key);

    // Whether the playback device could be opened, and if not, why; meaningful once DeviceChecked.
    const Status& DeviceStatus() const { return m_deviceStatus; }
    // Whether the device check has answered (or there was nothing to check: no buffer).
    bool DeviceChecked() const { return m_bDeviceChecked; }
    // Whether a play is pending: started and its completion notice not yet handled.
    bool PlayPending() const { return m_bPlayPending; }

private:
    enum class PlayState { Ready, Playing, Checking, NoDevice };

    void DoDataExchange(bool bSaveAndValidate);
    void OnPlayEnded(const Status& outcome);
    void OnDeviceChecked(const Status& device);
    void ShowDeviceProblem();
    void SetPlayState(PlayState state);
    void UpdateInputEnables();
    bool IsEnabled(int id) const;
    void Enable(int id, bool bEnabled, bool bParkFocus = false);
    void SendSignal(ComposeMode mode);
    void PlayRequest(const NotificationRequest& request);
    void SaveRequest(const NotificationRequest& request);
    SampleBuffer* BufferForSave();
    void SetFrameText(const std::string& text);

    CDialogView& m_view;
    int m_nInfoKind = -1;
    int m_nReason = -1;
    int m_nAmplitude = -1;
    std::map<int, bool> m_enabled;  // the controls this disables at times, by id
    Status m_deviceStatus;
    bool m_bOpened = false;
    bool m_bDeviceChecked = false;
    bool m_bDeviceCheckStarted = false;
    bool m_bShown = false;
    bool m_bPlayPending = false;
    bool m_bPlayHadFocus = false;  // Play had the focus when it was disabled
    bool m_bEnding = false;
    std::string m_strSaveFolder;  // where the last save went, for the next file dialog
    // For a save while the playback buffer belongs to the device, or when it has none.
    std::unique_ptr<SampleBuffer> m_pSaveBuffer;
};

}  // namespace corvane
