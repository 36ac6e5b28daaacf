// SPDX-License-Identifier: MIT
// The template's icons: their bitmaps as they are at their own sizes, their drawing for any
// other size, loaded only when such a size is asked for.
#include "dialog_template.h"

#include <QApplication>
#include <QFile>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

#include <vector>

namespace corvane {

namespace {

// Reads an XPM file by the built-in reader, as the C array it is: through QImageReader it would
// first look over every image format plugin installed.
QPixmap ReadXpm(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    std::vector<QByteArray> strings;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const qsizetype first = line.indexOf('"');
        const qsizetype last = line.lastIndexOf('"');
        if (first >= 0 && last > first)
            strings.push_back(line.mid(first + 1, last - first - 1));
    }
    std::vector<const char*> lines;
    for (const QByteArray& string : strings)
        lines.push_back(string.constData());
    lines.push_back(nullptr);
    return QPixmap::fromImage(QImage(lines.data()));
}

class CTemplateIconEngine : public QIconEngine {
public:
    CTemplateIconEngine(QList<QPixmap> bitmaps, QString drawingPath)
        : m_bitmaps(std::move(bitmaps)), m_strDrawingPath(std::move(drawingPath))
    {
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pixmap;
        for (const QPixmap& bitmap : m_bitmaps) {
            if (bitmap.size() == size)
                pixmap = bitmap;
        }
        if (pixmap.isNull() && !m_strDrawingPath.isEmpty()) {
            // The SVG engine and its library load here, on the first size the bitmaps lack.
            if (m_drawing.isNull())
                m_drawing = QIcon(m_strDrawingPath);
            pixmap = m_drawing.pixmap(size, 1.0, QIcon::Normal, state);
        }
        if (pixmap.isNull() && !m_bitmaps.isEmpty())
            pixmap = m_bitmaps.first().scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        if (mode == QIcon::Normal || mode == QIcon::Active || pixmap.isNull())
            return pixmap;
        QStyleOption option;
        option.palette = QApplication::palette();
        return QApplication::style()->generatedIconPixmap(mode, pixmap, &option);
    }

    void paint(QPainter* pPainter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = pPainter->device()->devicePixelRatioF();
        pPainter->drawPixmap(rect, pixmap(rect.size() * ratio, mode, state));
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }

    // Only the bitmaps: a window system that takes every size of a window's icon takes these,
    // and nothing has to be drawn for it.
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (const QPixmap& bitmap : m_bitmaps)
            sizes << bitmap.size();
        return sizes;
    }

    QString key() const override { return QStringLiteral("CTemplateIconEngine"); }
    QIconEngine* clone() const override { return new CTemplateIconEngine(m_bitmaps, m_strDrawingPath); }

private:
    QList<QPixmap> m_bitmaps;
    QString m_strDrawingPath;
    QIcon m_drawing;
};

}  // namespace

QIcon LoadTemplateIcon(const DialogTemplate& dialogTemplate, const QString& iconName)
{
    QList<QPixmap> bitmaps;
    QString drawing;
    for (const QString& file : dialogTemplate.iconFiles.value(iconName)) {
        if (file.endsWith(QLatin1String(".svg")))
            drawing = ":/corvane/" + file;
        else
            bitmaps << ReadXpm(":/corvane/" + file);
    }
    return QIcon(new CTemplateIconEngine(std::move(bitmaps), std::move(drawing)));
}

}  // namespace corvane
