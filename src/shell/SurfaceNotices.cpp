#include "shell/SurfaceNotices.h"

#include <QFont>
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

void TSurfaceNotices::Draw(QImage& surface) const
{
    if (notices_.empty() || surface.isNull())
        return;
    constexpr int pad = 4;
    QPainter painter(&surface);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font;
    font.setPixelSize(10);
    font.setBold(true);
    painter.setFont(font);
    const QString text = Texts().join('\n');
    const QRect room(Area.left() + pad, Area.top() + pad, Area.width() - 2 * pad, 1000);
    const QRect used = painter.boundingRect(room, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
    const QRectF box(Area.left() + 0.5, Area.top() + 0.5, std::max(used.width(), 0) + 2 * pad,
                     used.height() + 2 * pad);
    QPainterPath outline;
    outline.addRoundedRect(box, 5, 5);
    painter.fillPath(outline, QColor(18, 14, 46, 220));
    painter.setPen(QPen(QColor(240, 196, 80), 1));
    painter.drawPath(outline);
    painter.setPen(QColor(255, 252, 236));
    painter.drawText(room, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
}
