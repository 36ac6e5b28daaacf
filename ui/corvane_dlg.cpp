// SPDX-License-Identifier: MIT
#include "corvane_dlg.h"

#include "accessible_combo_box.h"
#include "resource.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSlider>

namespace corvane {

CCorvaneDlg::CCorvaneDlg(CDialogPrompts* pPrompts, QWidget* pParent)
    : QDialog(pParent), m_template(LoadDialogTemplate(QStringLiteral(":/corvane/main_dialog.json"))),
      m_pOwnPrompts(pPrompts == nullptr ? std::make_unique<CDialogPrompts>() : nullptr),
      m_pPrompts(pPrompts == nullptr ? m_pOwnPrompts.get() : pPrompts), m_controller(*this)
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
    return m_controller.OnCreate();
}

bool CCorvaneDlg::OnInitDialog()
{
    for (auto it = m_template.lists.begin(); it != m_template.lists.end(); ++it)
        findChild<QComboBox*>(it.key())->addItems(it.value());
    setWindowIcon(m_hIcon);
    auto* pPlay = static_cast<QPushButton*>(GetDlgItem(IDC_PLAY));
    pPlay->setIcon(LoadTemplateIcon(m_template, QStringLiteral("IDI_PLAY")));
    pPlay->setIconSize(QSize(32, 32));
    return m_controller.OnInitDialog();
}

void CCorvaneDlg::DoDataExchange(bool bSaveAndValidate, DialogFields& fields)
{
    auto* pRadioNumber = static_cast<QRadioButton*>(GetDlgItem(IDC_RADIO_NUMBER));
    auto* pRadioReason = static_cast<QRadioButton*>(GetDlgItem(IDC_RADIO_REASON));
    auto* pReason = static_cast<QComboBox*>(GetDlgItem(IDC_REASON));
    auto* pAmplitude = static_cast<QComboBox*>(GetDlgItem(IDC_AMPLITUDE));
    if (bSaveAndValidate) {
        fields.nInfoKind = pRadioNumber->isChecked() ? 0 : pRadioReason->isChecked() ? 1 : -1;
        fields.nReason = pReason->currentIndex();
        fields.nAmplitude = pAmplitude->currentIndex();
        return;
    }
    pRadioNumber->setChecked(fields.nInfoKind == 0);
    pRadioReason->setChecked(fields.nInfoKind == 1);
    pReason->setCurrentIndex(fields.nReason);
    pAmplitude->setCurrentIndex(fields.nAmplitude);
}

bool CCorvaneDlg::PreTranslateMessage(QObject* pTarget, QEvent* pEvent)
{
    // Only keys meant for this window: a dropped list or a message box keeps its own.
    if (pEvent->type() != QEvent::KeyPress)
        return false;
    const auto* pWidget = qobject_cast<QWidget*>(pTarget);
    if (pWidget == nullptr || pWidget->window() != this)
        return false;
    const int key = static_cast<QKeyEvent*>(pEvent)->key();
    return CDialogController::SwallowsKey(key == Qt::Key_Return || key == Qt::Key_Enter ? DialogKey::Enter
                                          : key == Qt::Key_Escape                       ? DialogKey::Escape
                                                                                        : DialogKey::Other);
}

bool CCorvaneDlg::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    return PreTranslateMessage(pWatched, pEvent) || QDialog::eventFilter(pWatched, pEvent);
}

void CCorvaneDlg::showEvent(QShowEvent* pEvent)
{
    QDialog::showEvent(pEvent);
    m_controller.OnShown();
}

void CCorvaneDlg::paintEvent(QPaintEvent* pEvent)
{
    QDialog::paintEvent(pEvent);
    m_controller.StartDeviceCheck();
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
    m_controller.OnDestroy();
}

void CCorvaneDlg::OnPlay()
{
    m_controller.OnPlay();
}

void CCorvaneDlg::OnRadioNumber()
{
    m_controller.OnModeChanged();
}

void CCorvaneDlg::OnRadioReason()
{
    m_controller.OnModeChanged();
}

void CCorvaneDlg::OnSaveWave()
{
    m_controller.OnSaveWave();
}

void CCorvaneDlg::OnHScroll(int position)
{
    m_controller.OnVolume(position);
}

void CCorvaneDlg::OnShortcut(int id)
{
    m_controller.OnShortcut(id);
}

void CCorvaneDlg::OnExit()
{
    m_controller.OnExit();
}

void CCorvaneDlg::OnClose(QCloseEvent* pEvent)
{
    if (m_controller.OnClose())
        QDialog::closeEvent(pEvent);
    else
        pEvent->ignore();
}

std::string CCorvaneDlg::NumberText() const
{
    return static_cast<QLineEdit*>(GetDlgItem(IDC_NUMBER))->text().toStdString();
}

void CCorvaneDlg::SetText(int id, const std::string& text)
{
    QWidget* pControl = GetDlgItem(id);
    if (auto* pEdit = qobject_cast<QLineEdit*>(pControl))
        pEdit->setText(QString::fromStdString(text));
    else if (auto* pLabel = qobject_cast<QLabel*>(pControl))
        pLabel->setText(QString::fromStdString(text));
}

void CCorvaneDlg::SetVolume(int position)
{
    // Setting the position is not a move by the operator: no scroll handling for it.
    const QSignalBlocker blocker(m_ctlVolume);
    m_ctlVolume->setRange(0, 100);
    m_ctlVolume->setValue(position);
}

void CCorvaneDlg::Enable(int id, bool bEnabled, bool bParkFocus)
{
    // Parked first: disabling the focused control would hand the focus to the next one.
    if (bParkFocus)
        setFocus(Qt::OtherFocusReason);
    GetDlgItem(id)->setEnabled(bEnabled);
}

void CCorvaneDlg::SetTip(int id, const std::string& text)
{
    GetDlgItem(id)->setToolTip(text.empty() ? m_shortcutTips.value(id) : QString::fromStdString(text));
}

bool CCorvaneDlg::HasFocus(int id) const
{
    return GetDlgItem(id)->hasFocus();
}

bool CCorvaneDlg::FocusIsParked() const
{
    return focusWidget() == nullptr || focusWidget() == this;
}

void CCorvaneDlg::Focus(int id, bool bByShortcut)
{
    GetDlgItem(id)->setFocus(bByShortcut ? Qt::ShortcutFocusReason : Qt::OtherFocusReason);
}

void CCorvaneDlg::ShowMessage(const std::string& text)
{
    m_pPrompts->ShowMessage(this, QString::fromStdString(text));
}

void CCorvaneDlg::ShowFailure(const std::string& text)
{
    m_pPrompts->ShowFailure(this, QString::fromStdString(text));
}

bool CCorvaneDlg::AskExit()
{
    return m_pPrompts->AskExit(this);
}

std::optional<SaveChoice> CCorvaneDlg::AskSavePath(const std::string& folder)
{
    const std::optional<QString> path = m_pPrompts->AskSavePath(this, QString::fromStdString(folder));
    if (!path)
        return std::nullopt;
    return SaveChoice{QFile::encodeName(*path).toStdString(), QFileInfo(*path).absolutePath().toStdString()};
}

void CCorvaneDlg::Close()
{
    accept();
}

void CCorvaneDlg::Post(std::function<void()> task)
{
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

}  // namespace corvane
