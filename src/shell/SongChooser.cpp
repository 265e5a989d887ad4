#include "shell/SongChooser.h"

#include "platform/Guard.h"
#include "sprites/Painting.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMargin = 14, kHeading = 34, kFilterLine = 20, kRowHeight = 19, kPad = 6;

QString Length(double seconds)
{
    const int whole = static_cast<int>(std::lround(seconds));
    return QString("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QChar('0'));
}

QFont RowFont(int pixels)
{
    QFont font;
    font.setPixelSize(pixels);
    font.setBold(true);
    return font;
}

} // namespace

TSongChooser::TSongChooser(QWidget& surface) : QWidget(&surface)
{
    setObjectName("SongChooser");
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    hide();
}

void TSongChooser::SetSongs(const std::vector<TSongListing>& songs, bool listing)
{
    const QString path = current_ < int(shown_.size()) ? shown_[current_]->Path : QString();
    songs_ = songs;
    listing_ = listing;
    ApplyFilter();
    // The song marked stays marked when the list comes anew.
    for (int i = 0; i < int(shown_.size()); ++i)
        if (shown_[i]->Path == path)
            MoveTo(i);
    update();
}

void TSongChooser::SetMarks(const QStringList& marked)
{
    marks_ = marked;
    update();
}

void TSongChooser::ToggleMark(int row)
{
    if (row < 0 || row >= int(shown_.size()))
        return;
    const QString path = shown_[row]->Path;
    const bool on = !marks_.contains(path);
    bool kept = false;
    Guarded([&] {
        if (OnMark)
            OnMark(path, on);
        kept = true;
    });
    if (!kept)
        return;
    if (on)
        marks_ << path;
    else
        marks_.removeAll(path);
    update();
}

void TSongChooser::Open()
{
    filter_.clear();
    ApplyFilter();
    setGeometry(parentWidget()->rect());
    show();
    raise();
    setFocus(Qt::PopupFocusReason);
}

void TSongChooser::Close()
{
    if (!isVisible())
        return;
    hide();
    if (OnClose)
        OnClose();
}

void TSongChooser::ApplyFilter()
{
    shown_.clear();
    for (const TSongListing& song : songs_)
        if (filter_.isEmpty() || song.Name.contains(filter_, Qt::CaseInsensitive))
            shown_.push_back(&song);
    current_ = 0;
    top_ = 0;
    update();
}

void TSongChooser::MoveTo(int row)
{
    if (shown_.empty())
        return;
    current_ = std::clamp(row, 0, int(shown_.size()) - 1);
    const int rows = VisibleRows();
    if (current_ < top_)
        top_ = current_;
    else if (current_ >= top_ + rows)
        top_ = current_ - rows + 1;
    update();
}

void TSongChooser::Choose(int row)
{
    if (row < 0 || row >= int(shown_.size()))
        return;
    const QString path = shown_[row]->Path;
    Close();
    if (OnChoose)
        Guarded([&] { OnChoose(path); });
}

QRect TSongChooser::Panel() const { return rect().adjusted(kMargin, kMargin, -kMargin, -kMargin); }

int TSongChooser::VisibleRows() const
{
    return std::max(1, (Panel().height() - kHeading - kFilterLine - 2 * kPad) / kRowHeight);
}

QRect TSongChooser::Row(int visibleIndex) const
{
    const QRect panel = Panel();
    return QRect(panel.left() + kPad, panel.top() + kHeading + kFilterLine + kPad + visibleIndex * kRowHeight,
                 panel.width() - 2 * kPad, kRowHeight);
}

void TSongChooser::keyPressEvent(QKeyEvent* event)
{
    const int page = VisibleRows();
    switch (event->key()) {
    case Qt::Key_Escape: Close(); return;
    case Qt::Key_Return:
    case Qt::Key_Enter: Choose(current_); return;
    case Qt::Key_Up: MoveTo(current_ - 1); return;
    case Qt::Key_Down: MoveTo(current_ + 1); return;
    case Qt::Key_PageUp: MoveTo(current_ - page); return;
    case Qt::Key_PageDown: MoveTo(current_ + page); return;
    case Qt::Key_Home: MoveTo(0); return;
    case Qt::Key_End: MoveTo(int(shown_.size()) - 1); return;
    case Qt::Key_Insert: ToggleMark(current_); return;
    case Qt::Key_M:
        if (event->modifiers() & Qt::ControlModifier) {
            ToggleMark(current_);
            return;
        }
        break;
    case Qt::Key_Backspace:
        filter_.chop(1);
        ApplyFilter();
        return;
    default: break;
    }
    const QString text = event->text();
    if (!text.isEmpty() && text.at(0).isPrint() && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        filter_ += text;
        ApplyFilter();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TSongChooser::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    if (!Panel().contains(at)) {
        Close();
        return;
    }
    for (int i = 0; i < VisibleRows() && top_ + i < int(shown_.size()); ++i)
        if (Row(i).contains(at))
            Choose(top_ + i);
}

void TSongChooser::wheelEvent(QWheelEvent* event)
{
    const int steps = event->angleDelta().y() / 120;
    MoveTo(current_ - (steps != 0 ? steps : (event->angleDelta().y() > 0 ? 1 : -1)));
}

void TSongChooser::paintEvent(QPaintEvent*)
{
    using namespace art;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    // The game stays in sight behind, dimmed.
    p.fillRect(rect(), QColor(10, 6, 30, 150));
    const QRect panel = Panel();
    QPainterPath outline;
    outline.addRoundedRect(QRectF(panel).adjusted(0.5, 0.5, -0.5, -0.5), 9, 9);
    p.fillPath(outline, QColor(18, 14, 46, 235));
    p.setPen(QPen(palette::Gold, 1.5));
    p.drawPath(outline);

    const QRectF heading(panel.left() + kPad, panel.top() + 6, panel.width() - 2 * kPad, kHeading - 10);
    Lettering(p, "SONGS", heading, 16, Vertical(heading.top(), heading.bottom(), palette::Cream, palette::Gold),
              palette::Ink, 1.5);

    const QRect filterLine(panel.left() + kPad, panel.top() + kHeading, panel.width() - 2 * kPad, kFilterLine);
    p.setFont(RowFont(11));
    p.setPen(filter_.isEmpty() ? Shade(palette::Cream, 0.7) : palette::Cream);
    const QString prompt = listing_ && songs_.empty() ? QStringLiteral("Finding songs…")
                           : filter_.isEmpty()        ? QStringLiteral("Type to find a song; Enter plays, Ins marks it for sessions, Esc closes")
                                                      : QStringLiteral("Find: ") + filter_ + QStringLiteral("_");
    p.drawText(filterLine, Qt::AlignLeft | Qt::AlignVCenter, prompt);
    p.setPen(QPen(Shade(palette::Violet, 1.2), 1));
    p.drawLine(filterLine.bottomLeft() + QPoint(0, 2), filterLine.bottomRight() + QPoint(0, 2));

    if (shown_.empty() && !(listing_ && songs_.empty())) {
        p.setPen(palette::Coral);
        p.drawText(Row(0), Qt::AlignCenter, songs_.empty() ? "No songs found" : "No song's name holds that");
        return;
    }
    p.setFont(RowFont(12));
    const QFontMetrics metrics(p.font());
    for (int i = 0; i < VisibleRows() && top_ + i < int(shown_.size()); ++i) {
        const TSongListing& song = *shown_[top_ + i];
        const QRect row = Row(i);
        const bool marked = top_ + i == current_;
        if (marked) {
            QPainterPath bar;
            bar.addRoundedRect(QRectF(row).adjusted(0, 1, 0, -1), 6, 6);
            p.fillPath(bar, Vertical(row.top(), row.bottom(), palette::Violet, palette::Indigo));
        }
        const QRect text = row.adjusted(6, 0, -6, 0);
        // What the song asks and how this player fared with it, before its length.
        QString figures = QString("%1 balls   ").arg(song.Balls);
        if (song.Rates.Last && song.Rates.Best)
            figures += QString("last %1 %  best %2 %   ")
                           .arg(std::lround(*song.Rates.Last * 100))
                           .arg(std::lround(*song.Rates.Best * 100));
        figures += Length(song.Seconds);
        p.setPen(marked ? palette::Cream : Shade(palette::Sky, 1.1));
        p.drawText(text, Qt::AlignRight | Qt::AlignVCenter, figures);
        const int nameRoom = text.width() - metrics.horizontalAdvance(figures) - 10;
        // A song marked for sessions carries a gold dot before its name.
        int nameLeft = text.left();
        if (marks_.contains(song.Path)) {
            const QPointF dot(text.left() + 4, row.center().y() + 0.5);
            p.setBrush(palette::Gold);
            p.setPen(QPen(palette::Ink, 1));
            p.drawEllipse(dot, 4, 4);
            p.setBrush(Qt::NoBrush);
        }
        nameLeft += 14;
        p.setPen(marked ? palette::Gold : palette::Cream);
        p.drawText(QRect(nameLeft, text.top(), nameRoom - 14, text.height()), Qt::AlignLeft | Qt::AlignVCenter,
                   metrics.elidedText(song.Name, Qt::ElideRight, nameRoom - 14));
    }
    // More songs above or below the rows in sight: a small arrow at the right of the panel.
    auto arrow = [&](double y, double direction) {
        QPainterPath head;
        const double x = panel.right() - kPad - 6;
        head.moveTo(x - 5, y);
        head.lineTo(x + 5, y);
        head.lineTo(x, y + 6 * direction);
        head.closeSubpath();
        p.fillPath(head, palette::Gold);
    };
    if (top_ > 0)
        arrow(filterLine.center().y() + 3, -1);
    if (top_ + VisibleRows() < int(shown_.size()))
        arrow(panel.bottom() - 9, 1);
}
