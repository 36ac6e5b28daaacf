// SPDX-License-Identifier: MIT
#include "dialog_template.h"

#include <QFile>
#include <QFontMetrics>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace corvane {

namespace {

QRect ReadRect(const QJsonArray& values)
{
    return {values.at(0).toInt(), values.at(1).toInt(), values.at(2).toInt(), values.at(3).toInt()};
}

QStringList ReadStrings(const QJsonArray& values)
{
    QStringList strings;
    for (const QJsonValue& value : values)
        strings << value.toString();
    return strings;
}

int Scale(int units, int base, int divisor)
{
    return (units * base + divisor / 2) / divisor;
}

}  // namespace

DialogTemplate LoadDialogTemplate(const QString& resourcePath)
{
    QFile file(resourcePath);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("dialog template %s is missing", qPrintable(resourcePath));
    QJsonParseError error{};
    const QJsonObject root = QJsonDocument::fromJson(file.readAll(), &error).object();
    if (error.error != QJsonParseError::NoError)
        qFatal("dialog template %s: %s", qPrintable(resourcePath), qPrintable(error.errorString()));

    DialogTemplate dialog;
    dialog.name = root["name"].toString();
    dialog.id = root["id"].toInt();
    dialog.caption = root["caption"].toString();
    dialog.fontFace = root["font"]["face"].toString();
    dialog.fontPoints = root["font"]["points"].toInt();
    const QJsonArray size = root["size"].toArray();
    dialog.size = {size.at(0).toInt(), size.at(1).toInt()};
    for (const QJsonValue& value : root["controls"].toArray()) {
        const QJsonObject control = value.toObject();
        const QJsonObject accessible = control["accessible"].toObject();
        dialog.controls.push_back(
            {control["name"].toString(), control["id"].toInt(), control["kind"].toString(), control["text"].toString(),
             control["icon"].toString(), ReadRect(control["rect"].toArray()), control["group"].toBool(),
             control["tabstop"].toBool(), accessible["name"].toString(), accessible["description"].toString(),
             control["shortcut"].toString(), control["buddy"].toString()});
    }
    const QJsonObject lists = root["lists"].toObject();
    for (auto it = lists.begin(); it != lists.end(); ++it)
        dialog.lists[it.key()] = ReadStrings(it.value().toArray());
    const QJsonObject icons = root["icons"].toObject();
    for (auto it = icons.begin(); it != icons.end(); ++it)
        dialog.iconFiles[it.key()] = ReadStrings(it.value().toObject()["files"].toArray());
    return dialog;
}

DialogUnits::DialogUnits(const QFont& font)
{
    // The average width is taken over the 52 Latin letters, rounded, as dialog layouts expect.
    const QFontMetrics metrics(font);
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_nBaseX = (letters / 26 + 1) / 2;
    m_nBaseY = metrics.height();
}

QRect DialogUnits::ToPixels(const QRect& rect) const
{
    return {Scale(rect.x(), m_nBaseX, 4), Scale(rect.y(), m_nBaseY, 8), Scale(rect.width(), m_nBaseX, 4),
            Scale(rect.height(), m_nBaseY, 8)};
}

QSize DialogUnits::ToPixels(const QSize& size) const
{
    return {Scale(size.width(), m_nBaseX, 4), Scale(size.height(), m_nBaseY, 8)};
}

QFont LargestFittingFont(const QFont& font, const std::function<bool(const QFont&)>& fits)
{
    QFont candidate = font;
    for (double points = font.pointSizeF(); points > kSmallestFittingPoints; points -= 0.5) {
        candidate.setPointSizeF(points);
        if (fits(candidate))
            return candidate;
    }
    candidate.setPointSizeF(kSmallestFittingPoints);
    return candidate;
}

}  // namespace corvane
