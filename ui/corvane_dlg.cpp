// SPDX-License-Identifier: MIT
#include "corvane_dlg.h"

#include "accessible_combo_box.h"
#include "audio/playback.h"
#include "request/request_checks.h"
#include "resource.h"
#include "base/trace.h"
#include "storage/safe_save.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <new>

namespace corvane {

namespace {

// The space QLineEdit keeps between its frame and its text, on each side.
constexpr int kLineEditTextMargin = 2;
constexpr int kInitialAmplitudeStep = 1;  // "20%"

QWidget* CreateControl(const ControlTemplate& control, QWidget* pParent)
{
    const QString& kind = control.kind;
    if (kind == "radio")
        return new QRadioButton(control.text, pParent);
    if (kind == "groupbox")
        return new QGroupBox(control.text, pParent);
    if (kind == "edit")
        return new QLineEdit(control.text, pParent);
    if (kind == "droplist")
        return new QComboBox(pParent);
    if (kind == "button" || kind == "iconbutton") {
        auto* pButton = new QPushButton(kind == "button" ? control.text : QString(), pParent);
        // Enter never presses a button here.
        pButton->setAutoDefault(false);
        return pButton;
    }
    if (kind == "trackbar") {
        auto* pSlider = new QSlider(Qt::Horizontal, pParent);
        pSlider->setTickPosition(QSlider::NoTicks);
        return pSlider;
    }
    if (kind == "statusline") {
        auto* pLabel = new QLabel(control.text, pParent);
        pLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        pLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        pLabel->setWordWrap(true);
        pLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);  // the frame can be copied
        return pLabel;
    }
    return new QLabel(control.text, pParent);
}

// The character of chars that is widest in font: text measured in it is the worst case.
QChar WidestOf(const QFont& font, QStringView chars)
{
    const QFontMetrics metrics(font);
    QChar widest = chars.front();
    for (const QChar ch : chars) {
        if (metrics.horizontalAdvance(ch) > metrics.horizontalAdvance(widest))
            widest = ch;
    }
    return widest;
}

// An upper bound on the size at which the longest frame fits the status line, from the metrics
// of its own face and size scaled: no label lays the frame out in fewer lines or less height.
// Each size tried exactly costs a font of that size, so the exact search starts here.
double StatusLinePointsBound(const QLabel& status)
{
    const QFont font = status.font();
    const QFontMetricsF metrics(font);
    const QChar wide = WidestOf(font, u"0123456789ABCDEF");
    const double piece = metrics.horizontalAdvance(QString(2, wide) + QLatin1Char(' '));
    const double space = metrics.horizontalAdvance(QLatin1Char(' '));  // hangs at a line's end
    const QRect text = status.contentsRect().marginsRemoved(
        QMargins(status.margin(), status.margin(), status.margin(), status.margin()));
    double points = font.pointSizeF();
    for (; points > kSmallestFittingPoints; points -= 0.5) {
        const double scale = points / font.pointSizeF();
        const int perLine = static_cast<int>((text.width() + space * scale) / (piece * scale));
        const int lines = perLine > 0 ? (kLongestNumberFrameBytes + perLine - 1) / perLine : kLongestNumberFrameBytes;
        if (lines * metrics.height() * scale <= text.height())
            break;
    }
    return points;
}

}  // namespace

CCorvaneDlg::CCorvaneDlg(CDialogPrompts* pPrompts, QWidget* pParent)
    : QDialog(pParent), m_template(LoadDialogTemplate(QStringLiteral(":/corvane/main_dialog.json"))),
      m_pOwnPrompts(pPrompts == nullptr ? std::make_unique<CDialogPrompts>() : nullptr),
      m_pPrompts(pPrompts == nullptr ? m_pOwnPrompts.get() : pPrompts)
{
    m_hIcon = LoadTemplateIcon(m_template, QStringLiteral("IDI_APP"));
    InstallAccessibleComboBoxes();
    CreateControls();
    MessageMap();
    OnCreate();
    OnInitDialog();
}

CCorvaneDlg::~CCorvaneDlg()
{
    OnDestroy();
}

QWidget* CCorvaneDlg::GetDlgItem(int id) const
{
    return m_controls.value(id, nullptr);
}

void CCorvaneDlg::CreateControls()
{
    setWindowTitle(m_template.caption);
    setFont(QFont(m_template.fontFace, m_template.fontPoints));
    // A fixed-size window with caption, system menu, minimise box and close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    const DialogUnits units(font());
    setFixedSize(units.ToPixels(m_template.size));

    QWidget* pPreviousTabStop = nullptr;
    QList<std::pair<QLabel*, QString>> buddies;
    for (const ControlTemplate& control : m_template.controls) {
        QWidget* pWidget = CreateControl(control, this);
        pWidget->setObjectName(control.name);
        pWidget->setAccessibleName(control.accessibleName);
        pWidget->setAccessibleDescription(control.accessibleDescription);
        if (!control.shortcut.isEmpty()) {
            const QString key = QKeySequence(control.shortcut).toString(QKeySequence::NativeText);
            m_shortcutTips.insert(control.id, QStringLiteral("%1 (%2)").arg(control.accessibleName, key));
            pWidget->setToolTip(m_shortcutTips.value(control.id));
        }
        if (!control.buddy.isEmpty())
            buddies.append({static_cast<QLabel*>(pWidget), control.buddy});
        QRect rect = units.ToPixels(control.rect);
        if (control.kind == "droplist")  // the template's height is the dropped list's
            rect.setHeight(pWidget->sizeHint().height());
        pWidget->setGeometry(rect);
        if (control.kind == "groupbox")
            pWidget->lower();  // a frame behind the controls it surrounds, never over them
        if (control.bTabStop) {
            pWidget->setFocusPolicy(Qt::StrongFocus);
            if (pPreviousTabStop != nullptr)
                setTabOrder(pPreviousTabStop, pWidget);
            pPreviousTabStop = pWidget;
        } else if (control.kind == "radio") {
            pWidget->setFocusPolicy(Qt::ClickFocus);  // reached with the mouse, not with Tab
        }
        if (control.id != -1)
            m_controls.insert(control.id, pWidget);
    }
    // A label names its control for assistive technologies.
    for (const auto& [pLabel, buddy] : buddies)
        pLabel->setBuddy(findChild<QWidget*>(buddy));
    // Dialog data exchange binds the volume control once; it carries no value of its own.
    m_ctlVolume = static_cast<QSlider*>(GetDlgItem(IDC_VOLUME));
    FitTextToControls();
}

void CCorvaneDlg::FitTextToControls()
{
    // The template's sizes were made for another face: where they cannot hold the longest frame
    // or number, the text gets smaller, never cut or scrolled out of sight.
    auto* pStatus = static_cast<QLabel*>(GetDlgItem(IDC_FRAME_TEXT));
    QFont start = pStatus->font();
    start.setPointSizeF(std::min(start.pointSizeF(), StatusLinePointsBound(*pStatus) + 0.5));
    pStatus->setFont(LargestFittingFont(start, [pStatus](const QFont& font) {
        pStatus->setFont(font);
        const QChar wide = WidestOf(font, u"0123456789ABCDEF");
        pStatus->setText((QString(2, wide) + QLatin1Char(' ')).repeated(kLongestNumberFrameBytes));
        return pStatus->heightForWidth(pStatus->width()) <= pStatus->height();
    }));
    pStatus->clear();

    auto* pNumber = static_cast<QLineEdit*>(GetDlgItem(IDC_NUMBER));
    const int frame = pNumber->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, pNumber);
    const QMargins margins = pNumber->textMargins();
    const int textWidth = pNumber->width() - 2 * (frame + kLineEditTextMargin) - margins.left() - margins.right();
    pNumber->setFont(LargestFittingFont(pNumber->font(), [textWidth](const QFont& font) {
        const QString longest(static_cast<int>(kMaxNumberDigits), WidestOf(font, u"0123456789"));
        return QFontMetrics(font).horizontalAdvance(longest) + 1 <= textWidth;  // + the cursor
    }));
}

void CCorvaneDlg::MessageMap()
{
    // Painting the minimised window and the drag icon are the window manager's business here:
    // it takes both from the window icon that OnInitDialog sets. Creation and destruction are
    // the constructor and destructor, and the close box arrives as closeEvent.
    connect(static_cast<QPushButton*>(GetDlgItem(IDC_PLAY)), &QPushButton::clicked, this, &CCorvaneDlg::OnPlay);
    connect(static_cast<QRadioButton*>(GetDlgItem(IDC_RADIO_NUMBER)), &QRadioButton::clicked, this,
            &CCorvaneDlg::OnRadioNumber);
    connect(static_cast<QRadioButton*>(GetDlgItem(IDC_RADIO_REASON)), &QRadioButton::clicked, this,
            &CCorvaneDlg::OnRadioReason);
    connect(static_cast<QPushButton*>(GetDlgItem(IDC_SAVE_WAVE)), &QPushButton::clicked, this,
            &CCorvaneDlg::OnSaveWave);
    // The volume control is the only one that scrolls; every move of it, by mouse or key,
    // arrives as a value change.
    connect(m_ctlVolume, &QSlider::valueChanged, this, &CCorvaneDlg::OnHScroll);
    connect(static_cast<QPushButton*>(GetDlgItem(IDC_EXIT)), &QPushButton::clicked, this, &CCorvaneDlg::OnExit);
    // Every command and both modes can be reached from the keyboard, though the template gives
    // the radio buttons no tab stop and its texts carry no mnemonics.
    for (const ControlTemplate& control : m_template.controls) {
        if (control.shortcut.isEmpty())
            continue;
        auto* pShortcut = new QShortcut(QKeySequence(control.shortcut), this);
        connect(pShortcut, &QShortcut::activated, this, [this, id = control.id] { OnShortcut(id); });
    }
    // PreTranslateMessage sees every key before the control that has the focus.
    qApp->installEventFilter(this);
}

int CCorvaneDlg::OnCreate()
{
    CORVANE_TRACE("WM_CREATE");
    // The completion notice comes on the audio thread: it only queues the play-ended handling,
    // and not at all once the reset of the dialog's destruction has begun (dwUser 1).
    // The device itself is checked once the window is on screen (paintEvent): loading the sound
    // library's configuration is no reason to keep the operator waiting for the window.
    m_deviceStatus = OpenPlaybackUnchecked([this](long dwUser, const Status& outcome) {
        if (dwUser != 0)
            return;
        const auto playEnded = [this, outcome] { OnPlayEnded(outcome); };
        QMetaObject::invokeMethod(this, playEnded, Qt::QueuedConnection);
    });
    m_bDeviceChecked = !m_deviceStatus.IsOk();  // no buffer: nothing to check
    return 0;
}

bool CCorvaneDlg::OnInitDialog()
{
    for (auto it = m_template.lists.begin(); it != m_template.lists.end(); ++it)
        findChild<QComboBox*>(it.key())->addItems(it.value());
    setWindowIcon(m_hIcon);

    auto* pPlay = static_cast<QPushButton*>(GetDlgItem(IDC_PLAY));
    pPlay->setIcon(LoadTemplateIcon(m_template, QStringLiteral("IDI_PLAY")));
    pPlay->setIconSize(QSize(32, 32));
    static_cast<QLineEdit*>(GetDlgItem(IDC_NUMBER))->setText(QString());

    {
        // Setting the position is not a move by the operator: no scroll handling for it.
        const QSignalBlocker blocker(m_ctlVolume);
        m_ctlVolume->setRange(0, 100);
        m_ctlVolume->setValue(kInitialVolume);
    }
    ApplyVolume(kInitialVolume);

    m_nReason = 0;
    m_nInfoKind = 0;
    m_nAmplitude = kInitialAmplitudeStep;
    DoDataExchange(false);
    UpdateInputEnables();
    // Without a device, or a buffer, there is nothing to play into.
    SetPlayState(m_bDeviceChecked ? PlayState::NoDevice : PlayState::Checking);
    GetDlgItem(IDC_NUMBER)->setFocus();
    return true;
}

void CCorvaneDlg::DoDataExchange(bool bSaveAndValidate)
{
    auto* pRadioNumber = static_cast<QRadioButton*>(GetDlgItem(IDC_RADIO_NUMBER));
    auto* pRadioReason = static_cast<QRadioButton*>(GetDlgItem(IDC_RADIO_REASON));
    auto* pReason = static_cast<QComboBox*>(GetDlgItem(IDC_REASON));
    auto* pAmplitude = static_cast<QComboBox*>(GetDlgItem(IDC_AMPLITUDE));
    if (bSaveAndValidate) {
        m_nInfoKind = pRadioNumber->isChecked() ? 0 : pRadioReason->isChecked() ? 1 : -1;
        m_nReason = pReason->currentIndex();
        m_nAmplitude = pAmplitude->currentIndex();
        return;
    }
    pRadioNumber->setChecked(m_nInfoKind == 0);
    pRadioReason->setChecked(m_nInfoKind == 1);
    pReason->setCurrentIndex(m_nReason);
    pAmplitude->setCurrentIndex(m_nAmplitude);
}

bool CCorvaneDlg::PreTranslateMessage(QObject* pTarget, QEvent* pEvent)
{
    // Enter presses no default button and Escape does not close the dialog. Only keys meant
    // for this window: a dropped list or a message box keeps its own.
    if (pEvent->type() != QEvent::KeyPress)
        return false;
    const auto* pWidget = qobject_cast<QWidget*>(pTarget);
    if (pWidget == nullptr || pWidget->window() != this)
        return false;
    const int key = static_cast<QKeyEvent*>(pEvent)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

bool CCorvaneDlg::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    return PreTranslateMessage(pWatched, pEvent) || QDialog::eventFilter(pWatched, pEvent);
}

void CCorvaneDlg::showEvent(QShowEvent* pEvent)
{
    QDialog::showEvent(pEvent);
    if (m_bShown)
        return;
    m_bShown = true;
    if (m_bDeviceChecked && !m_deviceStatus.IsOk())
        QTimer::singleShot(0, this, &CCorvaneDlg::ShowDeviceProblem);
}

void CCorvaneDlg::paintEvent(QPaintEvent* pEvent)
{
    QDialog::paintEvent(pEvent);
    if (m_bDeviceChecked || m_bDeviceCheckStarted)
        return;
    m_bDeviceCheckStarted = true;
    CheckPlaybackDevice([this](const Status& device) {
        const auto deviceChecked = [this, device] { OnDeviceChecked(device); };
        QMetaObject::invokeMethod(this, deviceChecked, Qt::QueuedConnection);
    });
}

void CCorvaneDlg::OnDeviceChecked(const Status& device)
{
    m_deviceStatus = device;
    m_bDeviceChecked = true;
    SetPlayState(device.IsOk() ? PlayState::Ready : PlayState::NoDevice);
    // Said once, over the dialog: here when the window is up already, else when it shows.
    if (!device.IsOk() && m_bShown)
        ShowDeviceProblem();
}

void CCorvaneDlg::ShowDeviceProblem()
{
    m_pPrompts->ShowFailure(this, QString::fromStdString(m_deviceStatus.Message()) +
                                      QStringLiteral("\n再生はできません。Wave保存はできます。"));
}

bool CCorvaneDlg::focusNextPrevChild(bool bNext)
{
    // Tab and Shift+Tab go round the template's tab stops and nothing else: Qt would also stop
    // at a radio button that a click had focused, where the arrow keys then switch the mode.
    const int count = static_cast<int>(m_template.controls.size());
    int index = 0;
    for (int i = 0; i < count; ++i) {
        if (m_controls.value(m_template.controls[static_cast<std::size_t>(i)].id) == focusWidget())
            index = i;
    }
    for (int step = 1; step <= count; ++step) {
        const int next = ((bNext ? index + step : index - step) % count + count) % count;
        const ControlTemplate& control = m_template.controls[static_cast<std::size_t>(next)];
        QWidget* pWidget = GetDlgItem(control.id);
        if (control.bTabStop && pWidget != nullptr && pWidget->isEnabled() && pWidget->isVisible()) {
            pWidget->setFocus(bNext ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return false;
}

void CCorvaneDlg::closeEvent(QCloseEvent* pEvent)
{
    OnClose(pEvent);
}

void CCorvaneDlg::OnDestroy()
{
    CORVANE_TRACE("WM_DESTROY");
    ClosePlayback();
}

void CCorvaneDlg::OnPlay()
{
    SendSignal(ComposeMode::Play);
}

void CCorvaneDlg::OnRadioNumber()
{
    UpdateInputEnables();
}

void CCorvaneDlg::OnRadioReason()
{
    UpdateInputEnables();
}

void CCorvaneDlg::OnSaveWave()
{
    SendSignal(ComposeMode::Save);
}

void CCorvaneDlg::OnHScroll(int position)
{
    ApplyVolume(position);
}

void CCorvaneDlg::OnShortcut(int id)
{
    auto* pButton = static_cast<QAbstractButton*>(GetDlgItem(id));
    if (!pButton->isEnabled())
        return;
    pButton->click();
    // A mode chosen from the keyboard takes the keyboard on to its input.
    if (id == IDC_RADIO_NUMBER || id == IDC_RADIO_REASON)
        GetDlgItem(id == IDC_RADIO_NUMBER ? IDC_NUMBER : IDC_REASON)->setFocus(Qt::ShortcutFocusReason);
}

void CCorvaneDlg::OnExit()
{
    if (!m_pPrompts->AskExit(this))
        return;
    m_bEnding = true;
    accept();
}

void CCorvaneDlg::OnClose(QCloseEvent* pEvent)
{
    if (m_bEnding || m_pPrompts->AskExit(this)) {
        m_bEnding = true;
        QDialog::closeEvent(pEvent);
        return;
    }
    pEvent->ignore();
}

void CCorvaneDlg::OnPlayEnded(const Status& outcome)
{
    SetPlayState(PlayState::Ready);
    // A play that did not go out whole must never pass for one that did.
    if (!outcome.IsOk())
        m_pPrompts->ShowFailure(this, QString::fromStdString(outcome.Message()));
}

void CCorvaneDlg::SetPlayState(PlayState state)
{
    auto* pPlay = static_cast<QPushButton*>(GetDlgItem(IDC_PLAY));
    m_bPlayPending = state == PlayState::Playing;
    switch (state) {
    case PlayState::Ready:
        pPlay->setToolTip(m_shortcutTips.value(IDC_PLAY));
        pPlay->setEnabled(true);
        // A keyboard Play parked the focus on the dialog; give it back unless the operator moved on.
        if (m_bPlayHadFocus && (focusWidget() == nullptr || focusWidget() == this))
            pPlay->setFocus(Qt::OtherFocusReason);
        m_bPlayHadFocus = false;
        return;
    case PlayState::Playing:
        pPlay->setToolTip(QStringLiteral("再生中です。終わるとまた押せます。"));
        break;
    case PlayState::Checking:
        pPlay->setToolTip(QStringLiteral("音声出力デバイスを確かめています。"));
        break;
    case PlayState::NoDevice:
        pPlay->setToolTip(QStringLiteral("音声出力デバイスを開けないため、再生できません。"));
        break;
    }
    // Disabling the focused button would hand the focus to the next one, Wave保存, and the next
    // Space would open the save dialog: the dialog itself holds it meanwhile, where keys do nothing.
    m_bPlayHadFocus = pPlay->hasFocus();
    if (m_bPlayHadFocus)
        setFocus(Qt::OtherFocusReason);
    pPlay->setEnabled(false);
}

void CCorvaneDlg::UpdateInputEnables()
{
    DoDataExchange(true);
    GetDlgItem(IDC_NUMBER)->setEnabled(m_nInfoKind == 0);
    GetDlgItem(IDC_REASON)->setEnabled(m_nInfoKind != 0);
}

void CCorvaneDlg::SendSignal(ComposeMode mode)
{
    DoDataExchange(true);
    const std::optional<int> amplitude = AmplitudeFromStep(m_nAmplitude);
    if (!amplitude)
        return;
    iWaveFormValue = *amplitude;
    CORVANE_TRACE("iWaveFormValue = %d", iWaveFormValue);

    NotificationRequest request;
    const QString number = static_cast<QLineEdit*>(GetDlgItem(IDC_NUMBER))->text();
    const RequestProblem problem = MakeDialogRequest(m_nInfoKind, number.toStdString(), m_nReason, request);
    if (problem != RequestProblem::None) {
        if (const std::string message = DialogMessage(problem); !message.empty())
            m_pPrompts->ShowMessage(this, QString::fromStdString(message));
        return;
    }

    if (mode == ComposeMode::Save)
        SaveRequest(request);
    else
        PlayRequest(request);
}

void CCorvaneDlg::PlayRequest(const NotificationRequest& request)
{
    SampleBuffer* pBuffer = PlaybackBuffer();
    if (pBuffer == nullptr || m_bPlayPending)
        return;
    const ComposeOutcome outcome = ComposeSignal(ComposeMode::Play, {}, request, *pBuffer,
                                                 [this](const std::string& text) { SetFrameText(text); });
    if (!outcome.status.IsOk()) {
        m_pPrompts->ShowFailure(this, QString::fromStdString(outcome.status.Message()));
        return;
    }
    SetPlayState(PlayState::Playing);
    const Status status = PlaySignal(outcome.Offset);
    if (!status.IsOk())
        OnPlayEnded(status);
}

void CCorvaneDlg::SaveRequest(const NotificationRequest& request)
{
    const std::optional<QString> path = m_pPrompts->AskSavePath(this, m_strSaveFolder);
    if (!path)
        return;
    m_strSaveFolder = QFileInfo(*path).absolutePath();
    SampleBuffer* pBuffer = BufferForSave();
    if (pBuffer == nullptr) {
        m_pPrompts->ShowFailure(this, QStringLiteral("音声バッファを確保できません"));
        return;
    }
    const ComposeOutcome outcome = ComposeSignal(
        ComposeMode::Save, QFile::encodeName(*path).toStdString(), request, *pBuffer,
        [this](const std::string& text) { SetFrameText(text); }, SaveFileSafely);
    if (!outcome.status.IsOk())
        m_pPrompts->ShowFailure(this, QString::fromStdString(outcome.status.Message()));
}

SampleBuffer* CCorvaneDlg::BufferForSave()
{
    // While a play is pending the playback buffer belongs to the device and must not change.
    if (!m_bPlayPending && PlaybackBuffer() != nullptr)
        return PlaybackBuffer();
    if (!m_pSaveBuffer)
        m_pSaveBuffer.reset(new (std::nothrow) SampleBuffer);
    return m_pSaveBuffer.get();
}

void CCorvaneDlg::SetFrameText(const std::string& text)
{
    static_cast<QLabel*>(GetDlgItem(IDC_FRAME_TEXT))->setText(QString::fromLatin1(text));
}

}  // namespace corvane
