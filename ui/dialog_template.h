// SPDX-License-Identifier: MIT
// A dialog described as data: its controls, texts, styles and positions in dialog units,
// the initial list items and the icons, read from the application's resources.
#pragma once

#include <QFont>
#include <QIcon>
#include <QMap>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace corvane {

struct ControlTemplate {
    QString name;  // the IDC_ name, empty for a control without id
    int id = -1;
    // radio, groupbox, edit, droplist, iconbutton, button, trackbar, static, statusline
    QString kind;
    QString text;
    QString icon;  // an IDI_ name for an iconbutton
    QRect rect;    // dialog units
    bool bGroup = false;
    bool bTabStop = false;
    // What assistive technologies read out for the control, in the dialog's language.
    QString accessibleName;
    QString accessibleDescription;
    QString shortcut;  // a key that presses or chooses the control from anywhere, such as "Alt+P"
    QString buddy;     // for a label: the IDC_ name of the control it names
};

struct DialogTemplate {
    QString name;
    int id = 0;
    QString caption;
    QString fontFace;
    int fontPoints = 9;
    QSize size;                             // client area, dialog units
    std::vector<ControlTemplate> controls;  // template and tab order
    QMap<QString, QStringList> lists;       // initial items by control name
    QMap<QString, QStringList> iconFiles;   // resource files by icon name, largest first
};

// Reads the template at a resource path such as ":/corvane/main_dialog.json"; a template that
// is missing or malformed is a build fault, so it aborts with a message.
DialogTemplate LoadDialogTemplate(const QString& resourcePath);

// The icon named in the template: its bitmaps, each used as it is for its own size, and its
// drawing (an SVG) for any other size, loaded only when one is first asked for. The icon's
// available sizes are the bitmaps'.
QIcon LoadTemplateIcon(const DialogTemplate& dialogTemplate, const QString& iconName);

// Converts dialog units to pixels for a font: horizontally a quarter of its average character
// width, vertically an eighth of its height, so a dialog keeps its proportions in any face.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    QRect ToPixels(const QRect& rect) const;
    QSize ToPixels(const QSize& size) const;

private:
    int m_nBaseX;
    int m_nBaseY;
};

// The smallest size LargestFittingFont gives, in points.
inline constexpr double kSmallestFittingPoints = 5.0;

// Returns font at the largest size, from its own down to 5 points in half points, for which fits
// holds, or at 5 points when none does: text that must be read whole shrinks rather than being cut.
QFont LargestFittingFont(const QFont& font, const std::function<bool(const QFont&)>& fits);

}  // namespace corvane
