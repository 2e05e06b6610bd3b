// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/themepreview.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

#include <algorithm>

namespace Lectorin {
namespace {

Colour toColour(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return { rgb.redF(), rgb.greenF(), rgb.blueF(), rgb.alphaF() };
}

} // namespace

ThemePreview::ThemePreview(QWidget *parent)
    : QWidget(parent)
    , m_theme(systemColourTheme(palette()))
{
    QFont font = this->font();
    font.setPointSizeF(kPointSize);
    setFont(font);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

TMTheme ThemePreview::systemColourTheme(const QPalette &palette)
{
    const Colour label = toColour(palette.color(QPalette::Active, QPalette::Text));
    Colour muted = label;
    muted.alpha = 0.55;
    return TMTheme { QStringLiteral("Default"), toColour(palette.color(QPalette::Active, QPalette::Base)),
        label, label, toColour(palette.color(QPalette::Active, QPalette::Link)), label, label, muted };
}

QColor ThemePreview::toColor(const Colour &colour)
{
    return QColor::fromRgbF(float(std::clamp(colour.red, 0.0, 1.0)),
        float(std::clamp(colour.green, 0.0, 1.0)), float(std::clamp(colour.blue, 0.0, 1.0)),
        float(std::clamp(colour.alpha, 0.0, 1.0)));
}

QList<ThemePreview::Line> ThemePreview::sampleLines(const TMTheme &theme)
{
    const QColor fg = toColor(theme.foreground);
    const QColor heading = toColor(theme.heading);
    const QColor name = toColor(theme.nameColor);
    const QColor literal = toColor(theme.literal);
    const QColor link = toColor(theme.link);
    const QColor muted = toColor(theme.muted);
    const auto plain = [](const QString &text, const QColor &color) {
        return Run { text, color, false, false };
    };
    const auto mono = [](const QString &text, const QColor &color) {
        return Run { text, color, true, false };
    };
    const auto bold = [](const QString &text, const QColor &color) {
        return Run { text, color, false, true };
    };
    const QString indent(6, u' ');

    return {
        { plain(QStringLiteral(" LS(1)               General Commands Manual               LS(1)"), muted) },
        {},
        { bold(QStringLiteral(" NAME"), heading) },
        { plain(indent, fg), mono(QStringLiteral("ls"), name),
            plain(QStringLiteral(" \u2013 list directory contents"), fg) },
        {},
        { bold(QStringLiteral(" SYNOPSIS"), heading) },
        { plain(indent, fg), mono(QStringLiteral("ls"), name), plain(QStringLiteral(" ["), fg),
            mono(QStringLiteral("-ABFGHLR"), name), plain(QStringLiteral("] ["), fg),
            mono(QStringLiteral("-D"), name), plain(QStringLiteral(" "), fg),
            mono(QStringLiteral("format"), literal), plain(QStringLiteral("] ["), fg),
            mono(QStringLiteral("file ..."), literal), plain(QStringLiteral("]"), fg) },
        {},
        { bold(QStringLiteral(" DESCRIPTION"), heading) },
        { plain(QStringLiteral("      For each operand that names a "), fg),
            mono(QStringLiteral("file"), literal), plain(QStringLiteral(" of a type other than"), fg) },
        { plain(QStringLiteral("      directory, "), fg), mono(QStringLiteral("ls"), name),
            plain(QStringLiteral(" displays its name and requested information."), fg) },
        {},
        { bold(QStringLiteral(" SEE ALSO"), heading) },
        { plain(indent, fg), plain(QStringLiteral("chflags(1)"), link), plain(QStringLiteral(", "), fg),
            plain(QStringLiteral("sort(1)"), link), plain(QStringLiteral(", "), fg),
            plain(QStringLiteral("xterm(1)"), link) },
    };
}

void ThemePreview::setTheme(const TMTheme &theme)
{
    if (theme == m_theme)
        return;
    m_theme = theme;
    update();
}

QFont ThemePreview::runFont(const Run &run) const
{
    if (run.bold) {
        QFont semibold = font();
        semibold.setPointSizeF(kPointSize);
        semibold.setWeight(QFont::DemiBold);
        return semibold;
    }
    if (run.mono) {
        QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        fixed.setPointSizeF(kPointSize);
        fixed.setWeight(QFont::Normal);
        return fixed;
    }
    return font();
}

ThemePreview::LineMetrics ThemePreview::lineMetrics(const Line &line) const
{
    const QFontMetrics viewMetrics(font());
    int ascent = viewMetrics.ascent();
    int descent = viewMetrics.descent();
    for (const Run &run : line) {
        const QFontMetrics metrics(runFont(run));
        ascent = std::max(ascent, metrics.ascent());
        descent = std::max(descent, metrics.descent());
    }
    return { ascent, ascent + descent };
}

QSize ThemePreview::sizeHint() const
{
    int height = 2 * kInset;
    int width = 0;
    const QList<Line> lines = sampleLines(m_theme);
    for (const Line &line : lines) {
        height += lineMetrics(line).height;
        int lineWidth = 0;
        for (const Run &run : line)
            lineWidth += QFontMetrics(runFont(run)).horizontalAdvance(run.text);
        width = std::max(width, lineWidth);
    }
    height += kLineSpacing * int(lines.size() - 1);
    return { width + 2 * kInset, height };
}

void ThemePreview::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    QPainterPath outline;
    outline.addRoundedRect(QRectF(rect()), kCornerRadius, kCornerRadius);
    painter.setClipPath(outline);
    painter.fillRect(rect(), toColor(m_theme.background));

    const int right = width() - kInset;
    int top = kInset;
    for (const Line &line : sampleLines(m_theme)) {
        const LineMetrics metrics = lineMetrics(line);
        const int baseline = top + metrics.ascent; // the runs of a line share one baseline
        int x = kInset;
        for (const Run &run : line) {
            if (x >= right)
                break;
            const QFont face = runFont(run);
            painter.setFont(face);
            painter.setPen(run.color);
            painter.drawText(QPoint(x, baseline), run.text);
            x += QFontMetrics(face).horizontalAdvance(run.text);
        }
        top += metrics.height + kLineSpacing;
    }

    // The border sits inside the clipped shape, half a pixel in so its one-pixel line stays whole.
    painter.setClipping(false);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(palette().color(QPalette::Mid), 1));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kCornerRadius, kCornerRadius);
}

} // namespace Lectorin
