// SPDX-License-Identifier: MIT
#include "dialog_controller.h"

#include "resource.h"

#include "audio/playback.h"
#include "base/trace.h"
#include "request/request_checks.h"
#include "storage/safe_save.h"

#include <new>

namespace corvane {

namespace {

constexpr int kInitialAmplitudeStep = 1;  // "20%"

}  // namespace

CDialogController::CDialogController(CDialogView& view) : m_view(view)
{
    for (const int id : {IDC_PLAY, IDC_NUMBER, IDC_REASON})
        m_enabled[id] = true;
}

CDialogController::~CDialogController()
{
    if (m_bOpened)
        OnDestroy();
}

int CDialogController::OnCreate()
{
    CORVANE_TRACE("WM_CREATE");
    // The completion notice comes on an audio thread: it only posts the play's end to the
    // dialog's thread, and not at all once the reset of the dialog's destruction has begun
    // (dwUser 1). The device itself is checked once the window is on screen: loading the sound
    // library's configuration is no reason to keep the operator waiting for the window.
    m_deviceStatus = OpenPlaybackUnchecked([this](long dwUser, const Status& outcome) {
        if (dwUser == 0)
            m_view.Post([this, outcome] { OnPlayEnded(outcome); });
    });
    m_bOpened = true;
    m_bDeviceChecked = !m_deviceStatus.IsOk();  // no buffer: nothing to check
    return 0;
}

bool CDialogController::OnInitDialog()
{
    m_view.SetText(IDC_NUMBER, "");
    m_view.SetVolume(kInitialVolume);
    ApplyVolume(kInitialVolume);
    m_nReason = 0;
    m_nInfoKind = 0;
    m_nAmplitude = kInitialAmplitudeStep;
    DoDataExchange(false);
    UpdateInputEnables();
    // Without a device, or a buffer, there is nothing to play into.
    SetPlayState(m_bDeviceChecked ? PlayState::NoDevice : PlayState::Checking);
    m_view.Focus(IDC_NUMBER);  // the first tab stop
    return true;
}

void CDialogController::OnShown()
{
    if (m_bShown)
        return;
    m_bShown = true;
    if (m_bDeviceChecked && !m_deviceStatus.IsOk())
        m_view.Post([this] { ShowDeviceProblem(); });
}

void CDialogController::StartDeviceCheck()
{
    if (m_bDeviceChecked || m_bDeviceCheckStarted)
        return;
    m_bDeviceCheckStarted = true;
    CheckPlaybackDevice([this](const Status& device) { m_view.Post([this, device] { OnDeviceChecked(device); }); });
}

void CDialogController::OnDestroy()
{
    CORVANE_TRACE("WM_DESTROY");
    m_bOpened = false;
    ClosePlayback();
}

void CDialogController::DoDataExchange(bool bSaveAndValidate)
{
    DialogFields fields{m_nInfoKind, m_nReason, m_nAmplitude};
    m_view.DoDataExchange(bSaveAndValidate, fields);
    m_nInfoKind = fields.nInfoKind;
    m_nReason = fields.nReason;
    m_nAmplitude = fields.nAmplitude;
}

void CDialogController::OnDeviceChecked(const Status& device)
{
    m_deviceStatus = device;
    m_bDeviceChecked = true;
    SetPlayState(device.IsOk() ? PlayState::Ready : PlayState::NoDevice);
    // Said once, over the dialog: here when the window is up already, else when it shows.
    if (!device.IsOk() && m_bShown)
        ShowDeviceProblem();
}

void CDialogController::ShowDeviceProblem()
{
    m_view.ShowFailure(m_deviceStatus.Message() + "\n再生はできません。Wave保存はできます。");
}

void CDialogController::OnPlay()
{
    SendSignal(ComposeMode::Play);
}

void CDialogController::OnSaveWave()
{
    SendSignal(ComposeMode::Save);
}

void CDialogController::OnModeChanged()
{
    UpdateInputEnables();
}

void CDialogController::OnVolume(int position)
{
    ApplyVolume(position);
}

void CDialogController::OnShortcut(int id)
{
    if (!IsEnabled(id))
        return;
    switch (id) {
    case IDC_RADIO_NUMBER:
    case IDC_RADIO_REASON:
        // A mode chosen from the keyboard takes the keyboard on to its input.
        DoDataExchange(true);
        m_nInfoKind = id == IDC_RADIO_NUMBER ? 0 : 1;
        DoDataExchange(false);
        UpdateInputEnables();
        m_view.Focus(id == IDC_RADIO_NUMBER ? IDC_NUMBER : IDC_REASON, true);
        return;
    case IDC_PLAY:
        OnPlay();
        return;
    case IDC_SAVE_WAVE:
        OnSaveWave();
        return;
    case IDC_EXIT:
        OnExit();
        return;
    default:
        return;
    }
}

void CDialogController::OnExit()
{
    if (!m_view.AskExit())
        return;
    m_bEnding = true;
    m_view.Close();
}

bool CDialogController::OnClose()
{
    if (m_bEnding || m_view.AskExit()) {
        m_bEnding = true;
        return true;
    }
    return false;
}

bool CDialogController::SwallowsKey(DialogKey key)
{
    return key == DialogKey::Enter || key == DialogKey::Escape;
}

void CDialogController::OnPlayEnded(const Status& outcome)
{
    SetPlayState(PlayState::Ready);
    // A play that did not go out whole must never pass for one that did.
    if (!outcome.IsOk())
        m_view.ShowFailure(outcome.Message());
}

void CDialogController::SetPlayState(PlayState state)
{
    m_bPlayPending = state == PlayState::Playing;
    switch (state) {
    case PlayState::Ready:
        m_view.SetTip(IDC_PLAY, "");
        Enable(IDC_PLAY, true);
        // A keyboard Play parked the focus on the dialog; give it back unless the operator moved on.
        if (m_bPlayHadFocus && m_view.FocusIsParked())
            m_view.Focus(IDC_PLAY);
        m_bPlayHadFocus = false;
        return;
    case PlayState::Playing:
        m_view.SetTip(IDC_PLAY, "再生中です。終わるとまた押せます。");
        break;
    case PlayState::Checking:
        m_view.SetTip(IDC_PLAY, "音声出力デバイスを確かめています。");
        break;
    case PlayState::NoDevice:
        m_view.SetTip(IDC_PLAY, "音声出力デバイスを開けないため、再生できません。");
        break;
    }
    // Handed on, the focus would reach Wave保存, and the next Space would open the save dialog:
    // the dialog itself holds it meanwhile, where keys do nothing.
    m_bPlayHadFocus = m_view.HasFocus(IDC_PLAY);
    Enable(IDC_PLAY, false, m_bPlayHadFocus);
}

void CDialogController::UpdateInputEnables()
{
    DoDataExchange(true);
    Enable(IDC_NUMBER, m_nInfoKind == 0);
    Enable(IDC_REASON, m_nInfoKind != 0);
}

bool CDialogController::IsEnabled(int id) const
{
    const auto found = m_enabled.find(id);
    return found == m_enabled.end() || found->second;
}

void CDialogController::Enable(int id, bool bEnabled, bool bParkFocus)
{
    m_enabled[id] = bEnabled;
    m_view.Enable(id, bEnabled, bParkFocus);
}

void CDialogController::SendSignal(ComposeMode mode)
{
    DoDataExchange(true);
    const std::optional<int> amplitude = AmplitudeFromStep(m_nAmplitude);
    if (!amplitude)
        return;
    iWaveFormValue = *amplitude;
    CORVANE_TRACE("iWaveFormValue = %d", iWaveFormValue);

    NotificationRequest request;
    const RequestProblem problem = MakeDialogRequest(m_nInfoKind, m_view.NumberText(), m_nReason, request);
    if (problem != RequestProblem::None) {
        if (const std::string message = DialogMessage(problem); !message.empty())
            m_view.ShowMessage(message);
        return;
    }
    if (mode == ComposeMode::Save)
        SaveRequest(request);
    else
        PlayRequest(request);
}

void CDialogController::PlayRequest(const NotificationRequest& request)
{
    SampleBuffer* pBuffer = PlaybackBuffer();
    if (pBuffer == nullptr || m_bPlayPending)
        return;
    const ComposeOutcome outcome = ComposeSignal(ComposeMode::Play, {}, request, *pBuffer,
                                                 [this](const std::string& text) { SetFrameText(text); });
    if (!outcome.status.IsOk()) {
        m_view.ShowFailure(outcome.status.Message());
        return;
    }
    SetPlayState(PlayState::Playing);
    const Status status = PlaySignal(outcome.Offset);
    if (!status.IsOk())
        OnPlayEnded(status);
}

void CDialogController::SaveRequest(const NotificationRequest& request)
{
    const std::optional<SaveChoice> choice = m_view.AskSavePath(m_strSaveFolder);
    if (!choice)
        return;
    m_strSaveFolder = choice->folder;
    SampleBuffer* pBuffer = BufferForSave();
    if (pBuffer == nullptr) {
        m_view.ShowFailure("音声バッファを確保できません");
        return;
    }
    const auto showFrame = [this](const std::string& text) { SetFrameText(text); };
    const ComposeOutcome outcome =
        ComposeSignal(ComposeMode::Save, choice->path, request, *pBuffer, showFrame, SaveFileSafely);
    if (!outcome.status.IsOk())
        m_view.ShowFailure(outcome.status.Message());
}

SampleBuffer* CDialogController::BufferForSave()
{
    // While a play is pending the playback buffer belongs to the device and must not change.
    if (!m_bPlayPending && PlaybackBuffer() != nullptr)
        return PlaybackBuffer();
    if (!m_pSaveBuffer)
        m_pSaveBuffer.reset(new (std::nothrow) SampleBuffer);
    return m_pSaveBuffer.get();
}

void CDialogController::SetFrameText(const std::string& text)
{
    m_view.SetText(IDC_FRAME_TEXT, text);
}

}  // namespace corvane
