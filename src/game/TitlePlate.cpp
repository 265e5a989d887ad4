#include "game/TitlePlate.h"

#include "sprites/Painting.h"
#include "sprites/StrokeFont.h"

namespace {

constexpr int kWidth = 186, kHeight = 22;
// The name's box on the plate, right of the quaver.
const QRectF kNameBox(28, 2, kWidth - 38, kHeight - 4);
constexpr double kCapHeight = 12, kSmallestCapHeight = 8, kOutline = 1.5;

bool Fits(const QString& text, double capHeight)
{
    return art::StrokeText(text, capHeight).boundingRect().width() <= kNameBox.width() - 2 * kOutline;
}

} // namespace

QString PlateLettering(const QString& title)
{
    QString text;
    for (QChar c : title.normalized(QString::NormalizationForm_D).toUpper()) {
        if (c.isSpace())
            c = ' ';
        if (art::CanLetter(QString(c)))
            text += c;
    }
    text = text.simplified();
    if (Fits(text, kSmallestCapHeight))
        return text;
    // Whole characters go from the end until the rest and the dots fit.
    while (!text.isEmpty() && !Fits(text.trimmed() + "...", kSmallestCapHeight))
        text.chop(1);
    return text.trimmed() + "...";
}

QImage TitlePlate(const QString& title)
{
    using namespace art;
    QImage canvas = Canvas(kWidth, kHeight);
    QPainter p;
    Begin(p, canvas);
    QPainterPath plate;
    plate.addRoundedRect(QRectF(2, 2, kWidth - 4, kHeight - 4), 9, 9);
    Outlined(p, plate, Vertical(2, kHeight - 2, palette::Violet, palette::Indigo), palette::Ink, 1.5);
    p.setPen(QPen(Shade(palette::Violet, 1.4), 1));
    p.drawLine(QPointF(12, 4), QPointF(kWidth - 12, 4));
    // A quaver.
    QPainterPath note;
    note.addEllipse(QPointF(14, 15), 4, 3);
    note.addRect(QRectF(16.4, 5, 1.8, 10));
    note.moveTo(18.2, 5);
    note.quadTo(24, 7, 22, 12);
    note.quadTo(21.5, 9, 18.2, 8.5);
    note.closeSubpath();
    Outlined(p, note.simplified(), QBrush(palette::Gold), palette::Ink, 1.0);
    Lettering(p, PlateLettering(title), kNameBox, kCapHeight, Vertical(5, 17, palette::Cream, palette::Gold),
              palette::Ink, kOutline);
    p.end();
    return Keyed(canvas);
}
