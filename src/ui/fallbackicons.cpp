// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/fallbackicons.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace Lectorin::FallbackIcons {
namespace {

constexpr double kMinimumContrast = 3.0;

double relativeLuminance(const QColor &colour)
{
    const auto channel = [](double value) {
        return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF())
        + 0.0722 * channel(colour.blueF());
}

QColor mixed(const QColor &from, const QColor &to, double amount)
{
    return QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * amount),
        float(from.greenF() + (to.greenF() - from.greenF()) * amount),
        float(from.blueF() + (to.blueF() - from.blueF()) * amount));
}

// Painted at the size asked for, in the application palette of the moment, so it follows light and dark.
class ShapeEngine : public QIconEngine
{
public:
    explicit ShapeEngine(Shape shape)
        : m_shape(shape)
    { }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const double side = std::min(rect.width(), rect.height());
        const QPointF centre = QRectF(rect).center();
        const double reach = side * 0.28;
        QPainterPath path;
        switch (m_shape) {
        case Shape::back:
        case Shape::forward: {
            const double tip = m_shape == Shape::back ? -reach * 0.6 : reach * 0.6;
            path.moveTo(centre + QPointF(-tip, -reach));
            path.lineTo(centre + QPointF(tip, 0));
            path.lineTo(centre + QPointF(-tip, reach));
            break;
        }
        case Shape::up:
        case Shape::down: {
            const double tip = m_shape == Shape::up ? -reach * 0.6 : reach * 0.6;
            path.moveTo(centre + QPointF(-reach, -tip));
            path.lineTo(centre + QPointF(0, tip));
            path.lineTo(centre + QPointF(reach, -tip));
            break;
        }
        case Shape::close:
            path.moveTo(centre + QPointF(-reach, -reach));
            path.lineTo(centre + QPointF(reach, reach));
            path.moveTo(centre + QPointF(reach, -reach));
            path.lineTo(centre + QPointF(-reach, reach));
            break;
        case Shape::star:
            // Five points, the inner ones at 0.45 of the outer radius.
            for (int point = 0; point < 10; ++point) {
                const double radius = (point % 2 ? 0.45 : 1.0) * reach * 1.45;
                const double angle = -M_PI / 2 + point * M_PI / 5;
                const QPointF at = centre + QPointF(std::cos(angle), std::sin(angle) + 0.08) * radius;
                if (point == 0)
                    path.moveTo(at);
                else
                    path.lineTo(at);
            }
            path.closeSubpath();
            break;
        }
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const QColor ink = colour(QGuiApplication::palette(), mode);
        painter->setPen(QPen(ink, std::max(m_shape == Shape::star ? 1.2 : 1.5, side / 9.0), Qt::SolidLine,
            Qt::RoundCap, Qt::RoundJoin));
        if (m_shape == Shape::star && state == QIcon::On)
            painter->setBrush(ink);
        painter->drawPath(path);
        painter->restore();
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(), size), mode, state);
        return pixmap;
    }

    QIconEngine *clone() const override { return new ShapeEngine(m_shape); }

private:
    Shape m_shape;
};

} // namespace

double contrastRatio(const QColor &a, const QColor &b)
{
    const double first = relativeLuminance(a);
    const double second = relativeLuminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

QColor colour(const QPalette &palette, QIcon::Mode mode)
{
    const QColor text = palette.color(QPalette::Active, QPalette::WindowText);
    if (mode != QIcon::Disabled)
        return text;
    // As pale as the window allows while still reading.
    const QColor window = palette.color(QPalette::Active, QPalette::Window);
    for (double amount = 0.6; amount > 0; amount -= 0.05) {
        const QColor candidate = mixed(text, window, amount);
        if (contrastRatio(candidate, window) >= kMinimumContrast)
            return candidate;
    }
    return text;
}

QIcon icon(Shape shape)
{
    return QIcon(new ShapeEngine(shape));
}

QIcon themed(const QString &name, Shape shape)
{
    return QIcon::hasThemeIcon(name) ? QIcon::fromTheme(name) : icon(shape);
}

} // namespace Lectorin::FallbackIcons
