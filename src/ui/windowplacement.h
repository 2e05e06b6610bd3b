// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QSize>

#include <optional>

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

} // namespace Lectorin::WindowPlacement
