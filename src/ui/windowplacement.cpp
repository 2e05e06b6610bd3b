// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/windowplacement.h"

#include <QSettings>
#include <QWidget>

namespace Lectorin::WindowPlacement {
namespace {

const QString kWidthKey = QStringLiteral("lastWindowWidth");
const QString kHeightKey = QStringLiteral("lastWindowHeight");
const QString kMaximizedKey = QStringLiteral("lastWindowMaximized");

} // namespace

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

RememberedWindow remembered(const QSettings &settings)
{
    return { QSize(int(settings.value(kWidthKey).toDouble()), int(settings.value(kHeightKey).toDouble())),
        settings.value(kMaximizedKey).toBool() };
}

void rememberSize(QSettings &settings, const QSize &size)
{
    settings.setValue(kWidthKey, double(size.width()));
    settings.setValue(kHeightKey, double(size.height()));
}

void rememberMaximized(QSettings &settings, bool maximized)
{
    if (maximized)
        settings.setValue(kMaximizedKey, true);
    else
        settings.remove(kMaximizedKey);
}

void applyRemembered(
    QWidget *window, const RememberedWindow &remembered, const std::optional<QRect> &screenArea)
{
    if (remembered.size.width() > kMinimumRememberedSide && remembered.size.height() > kMinimumRememberedSide)
        window->resize(screenArea ? remembered.size.boundedTo(screenArea->size()) : remembered.size);
    if (remembered.maximized)
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
}

} // namespace Lectorin::WindowPlacement
