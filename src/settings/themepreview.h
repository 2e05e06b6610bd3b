// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "themes/tmtheme.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QWidget>

class QPalette;

namespace Lectorin {

// A short man page excerpt drawn in a theme's colours, so every colour role shows at once. It paints from
// the theme alone, not through the page renderer.
class ThemePreview : public QWidget
{
    Q_OBJECT

public:
    struct Run
    {
        QString text;
        QColor color;
        bool mono = false;
        bool bold = false; // wins over mono

        bool operator==(const Run &) const = default;
    };
    using Line = QList<Run>;

    static constexpr int kLineSpacing = 3;
    static constexpr int kInset = 12;
    static constexpr int kCornerRadius = 6;
    static constexpr double kPointSize = 11;

    explicit ThemePreview(QWidget *parent = nullptr);

    // The theme standing for "Default": the palette's text colours, computed afresh on every call.
    static TMTheme systemColourTheme(const QPalette &palette);
    static QColor toColor(const Colour &colour);
    // The fourteen lines of the sample in the theme's colours.
    static QList<Line> sampleLines(const TMTheme &theme);

    const TMTheme &theme() const { return m_theme; }
    void setTheme(const TMTheme &theme);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QFont runFont(const Run &run) const;
    struct LineMetrics
    {
        int ascent = 0;
        int height = 0;
    };
    LineMetrics lineMetrics(const Line &line) const;

    TMTheme m_theme;
};

} // namespace Lectorin
