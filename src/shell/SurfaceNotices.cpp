#include "shell/SurfaceNotices.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

void TSurfaceNotices::Show(const QString& key, const QString& text)
{
    for (auto& notice : notices_) {
        if (notice.first == key) {
            notice.second = text;
            return;
        }
    }
    notices_.emplace_back(key, text);
}

void TSurfaceNotices::Hide(const QString& key)
{
    std::erase_if(notices_, [&](const auto& notice) { return notice.first == key; });
}

QString TSurfaceNotices::Text(const QString& key) const
{
    for (const auto& notice : notices_)
        if (notice.first == key)
            return notice.second;
    return {};
}

QStringList TSurfaceNotices::Texts() const
{
    QStringList texts;
    for (const auto& notice : notices_)
        texts.append(notice.second);
    return texts;
}

QRect TSurfaceNotices::Bounds() const { return notices_.empty() || box_.isNull() ? QRect() : QRect(drawnOrigin_, box_.size()); }

void TSurfaceNotices::Draw(QImage& surface) const
{
    if (notices_.empty() || surface.isNull())
        return;
    const QString text = Texts().join('\n');
    if (box_.isNull() || text != boxText_ || Area != boxArea_) {
        constexpr int pad = 4;
        QFont font;
        font.setPixelSize(10);
        font.setBold(true);
        const QRect room(Area.left() + pad, Area.top() + pad, Area.width() - 2 * pad, 1000);
        const QRect used = QFontMetrics(font, &surface).boundingRect(room, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
        const QRectF box(Area.left() + 0.5, Area.top() + 0.5, std::max(used.width(), 0) + 2 * pad,
                         used.height() + 2 * pad);
        // The outline's pen reaches half a pixel beyond the box, and a glyph's smoothed edge
        // may reach a little beyond the text's box.
        const QRect bounds = box.adjusted(-1, -1, 1, 1).toAlignedRect() | used.adjusted(-2, -2, 2, 2);
        box_ = QImage(bounds.size(), QImage::Format_ARGB32_Premultiplied);
        box_.fill(Qt::transparent);
        QPainter painter(&box_);
        painter.translate(-bounds.topLeft());
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setFont(font);
        QPainterPath outline;
        outline.addRoundedRect(box, 5, 5);
        painter.fillPath(outline, QColor(18, 14, 46, 220));
        painter.setPen(QPen(QColor(240, 196, 80), 1));
        painter.drawPath(outline);
        painter.setPen(QColor(255, 252, 236));
        painter.drawText(room, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
        painter.end();
        boxOrigin_ = bounds.topLeft();
        boxText_ = text;
        boxArea_ = Area;
    }
    // A long notice on a lane's track low on the picture would otherwise lose its last lines.
    const int overflow = boxOrigin_.y() + box_.height() - surface.height();
    drawnOrigin_ = boxOrigin_ - QPoint(0, std::clamp(overflow, 0, std::max(boxOrigin_.y(), 0)));
    // Blended here rather than through a painter: setting one up on the frame costs more than
    // blending the box's few thousand pixels.
    if (surface.format() != QImage::Format_RGB32 && surface.format() != QImage::Format_ARGB32_Premultiplied) {
        QPainter painter(&surface);
        painter.drawImage(drawnOrigin_, box_);
        return;
    }
    const QRect target = QRect(drawnOrigin_, box_.size()) & surface.rect();
    for (int y = target.top(); y <= target.bottom(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(box_.constScanLine(y - drawnOrigin_.y())) - drawnOrigin_.x();
        auto* out = reinterpret_cast<QRgb*>(surface.scanLine(y));
        for (int x = target.left(); x <= target.right(); ++x) {
            const QRgb p = in[x];
            const int keep = 255 - qAlpha(p);
            if (keep == 255)
                continue;
            const QRgb d = out[x];
            out[x] = qRgba(qRed(p) + (qRed(d) * keep + 127) / 255, qGreen(p) + (qGreen(d) * keep + 127) / 255,
                           qBlue(p) + (qBlue(d) * keep + 127) / 255, qAlpha(p) + (qAlpha(d) * keep + 127) / 255);
        }
    }
}
