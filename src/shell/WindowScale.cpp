#include "shell/WindowScale.h"

#include <QProxyStyle>
#include <QWidget>

#include <algorithm>

// Every measure of the style (frames, check marks, slider handles) grows with the scale, so
// that a control drawn at twice its size has all its parts at twice their size.
class TScaledStyle : public QProxyStyle {
public:
    int Factor = 1;

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        return QProxyStyle::pixelMetric(metric, option, widget) * Factor;
    }
};

TWindowScale::TWindowScale(QWidget& window) : QObject(&window), window_(window), windowFont_(window.font())
{
    for (QWidget* control : window.findChildren<QWidget*>())
        Take(control);
}

void TWindowScale::Take(QWidget* control)
{
    // The window's message boxes and dialogs, and what is in them, keep their own sizes.
    if (control->window() != &window_ || designed_.contains(control))
        return;
    TDesigned designed;
    const QRect now = control->geometry();
    designed.Geometry = QRect(now.topLeft() / scale_, now.size() / scale_);
    if (control->testAttribute(Qt::WA_SetFont))
        designed.Font = control->font();
    designed_.insert(control, designed);
    connect(control, &QObject::destroyed, this, [this, control] { designed_.remove(control); });
}

void TWindowScale::Apply(int n)
{
    for (QWidget* control : window_.findChildren<QWidget*>())
        Take(control);
    // The plain style stays until the first scale beyond 1, so that a window never scaled is
    // drawn exactly as it always was.
    if (n != 1 && !style_) {
        style_ = new TScaledStyle;
        style_->setParent(this);
    }
    if (style_) {
        style_->Factor = n;
        window_.setStyle(style_);
    }
    window_.setFont(ScaledFont(windowFont_, n));
    for (auto it = designed_.cbegin(); it != designed_.cend(); ++it) {
        QWidget* control = it.key();
        if (style_)
            control->setStyle(style_);
        if (it->Font)
            control->setFont(ScaledFont(*it->Font, n));
        control->setGeometry(QRect(it->Geometry.topLeft() * n, it->Geometry.size() * n));
    }
    scale_ = n;
}

QFont ScaledFont(QFont font, int n)
{
    if (font.pixelSize() > 0)
        font.setPixelSize(font.pixelSize() * n);
    else if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * n);
    return font;
}

int LargestFittingScale(QSize designed, const QRect& available)
{
    if (designed.isEmpty())
        return 1;
    return std::max(1, std::min(available.width() / designed.width(), available.height() / designed.height()));
}

QRect KeptOn(const QRect& wanted, const QRect& available)
{
    QRect kept = wanted;
    kept.moveLeft(std::max(available.left(), std::min(wanted.left(), available.right() + 1 - wanted.width())));
    kept.moveTop(std::max(available.top(), std::min(wanted.top(), available.bottom() + 1 - wanted.height())));
    return kept;
}
