// SPDX-License-Identifier: MIT
// The Qt dialog's controls, made from the template, and text that must be read whole fitted to
// the sizes the template gives.
#include "corvane_dlg.h"

#include "resource.h"

#include "request/request_checks.h"

#include <QComboBox>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyle>

#include <algorithm>

namespace corvane {

namespace {

// The space QLineEdit keeps between its frame and its text, on each side.
constexpr int kLineEditTextMargin = 2;

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

}  // namespace corvane
