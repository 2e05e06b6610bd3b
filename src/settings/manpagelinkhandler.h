// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QIcon;
class QObject;

// Which desktop application opens x-man-page:// links: asking the desktop (through GIO) for the current and
// all possible handlers, the order they are offered in, and making another one the default.
namespace Lectorin::ManPageLinkHandler {

inline constexpr char kScheme[] = "x-man-page";
inline constexpr char kMimeType[] = "x-scheme-handler/x-man-page";

struct Handler
{
    QString id; // the desktop file id, "lectorin.desktop"
    QString displayName;
    QStringList iconNames; // theme icon names, or one absolute file path

    bool operator==(const Handler &) const = default;
};

// The current handler (when there is one) followed by all, one per display name with the earlier one kept,
// sorted by display name with the localized standard comparison.
QList<Handler> orderedHandlers(const std::optional<Handler> &current, const QList<Handler> &all);

QIcon handlerIcon(const Handler &handler);

// The three desktop operations the settings section needs; the GIO ones by default, fakes in tests.
struct Backend
{
    std::function<std::optional<Handler>()> current;
    std::function<QList<Handler>()> all;
    // Asks for `id` to become the default and calls `done` afterwards, from the event loop, whether it worked
    // or not; `done` is dropped when `context` is gone by then.
    std::function<void(const QString &id, QObject *context, std::function<void()> done)> setDefault;

    static Backend desktop();
};

// GIO's answers, in the order GIO gives them.
std::optional<Handler> desktopCurrentHandler();
QList<Handler> desktopAllHandlers();
bool setDesktopDefaultHandler(const QString &id);

} // namespace Lectorin::ManPageLinkHandler
