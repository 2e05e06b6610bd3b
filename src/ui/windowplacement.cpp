// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/windowplacement.h"

namespace Lectorin::WindowPlacement {

std::optional<QRect> frameForNewWindow(const std::optional<QRect> &activeWindowFrame,
    const QSize &rememberedSize, const std::optional<QRect> &screenArea)
{
    if (activeWindowFrame)
        return activeWindowFrame;
    if (rememberedSize.width() <= kMinimumRememberedSide || rememberedSize.height() <= kMinimumRememberedSide
        || !screenArea)
        return std::nullopt;
    QRect frame(QPoint(), rememberedSize);
    frame.moveCenter(screenArea->center());
    return frame;
}

QRect cascaded(const QRect &inheritedFrame)
{
    return inheritedFrame.translated(kCascadeOffset, kCascadeOffset);
}

} // namespace Lectorin::WindowPlacement
