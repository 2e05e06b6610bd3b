// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QSize>

#include <optional>

class QSettings;
class QWidget;

// Where a new main window goes.
namespace Lectorin::WindowPlacement {

inline constexpr int kCascadeOffset = 24;
inline constexpr int kMinimumRememberedSide = 200;

// The frame a new window inherits: the active window's, else the remembered size centred in the screen's
// available area when both sides exceed 200, else none (the window manager places it).
std::optional<QRect> frameForNewWindow(const std::optional<QRect> &activeWindowFrame,
    const QSize &rememberedSize, const std::optional<QRect> &screenArea);
// The inherited frame moved 24 right and 24 down (y grows downwards here).
QRect cascaded(const QRect &inheritedFrame);

// The size and maximised state the last main window was left in ("lastWindowWidth", "lastWindowHeight",
// "lastWindowMaximized").
struct RememberedWindow
{
    QSize size;
    bool maximized = false;

    bool operator==(const RememberedWindow &) const = default;
};

RememberedWindow remembered(const QSettings &settings);
void rememberSize(QSettings &settings, const QSize &size);
void rememberMaximized(QSettings &settings, bool maximized);
// Gives a window opened without a frame to inherit the remembered size (when both sides exceed 200, at most
// `screenArea`) and, when it was maximised, that state.
void applyRemembered(
    QWidget *window, const RememberedWindow &remembered, const std::optional<QRect> &screenArea);

} // namespace Lectorin::WindowPlacement
