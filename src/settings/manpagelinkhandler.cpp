// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/manpagelinkhandler.h"

#include "catalogue/collation.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QSet>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <vector>

// GIO's D-Bus introspection structs have a member named like Qt's `signals` keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

namespace Lectorin::ManPageLinkHandler {
namespace {

struct GObjectUnref
{
    void operator()(gpointer object) const { g_object_unref(object); }
};
using AppInfoPointer = std::unique_ptr<GAppInfo, GObjectUnref>;

QString utf8(const char *text)
{
    return text ? QString::fromUtf8(text) : QString();
}

QStringList iconNames(GIcon *icon)
{
    if (!icon)
        return {};
    if (G_IS_THEMED_ICON(icon)) {
        QStringList names;
        for (const gchar *const *name = g_themed_icon_get_names(G_THEMED_ICON(icon)); name && *name; ++name)
            names.append(utf8(*name));
        return names;
    }
    if (G_IS_FILE_ICON(icon)) {
        char *path = g_file_get_path(g_file_icon_get_file(G_FILE_ICON(icon)));
        const QString result = utf8(path);
        g_free(path);
        return result.isEmpty() ? QStringList() : QStringList { result };
    }
    return {};
}

Handler handlerOf(GAppInfo *info)
{
    Handler handler;
    handler.id = utf8(g_app_info_get_id(info));
    handler.displayName = utf8(g_app_info_get_display_name(info));
    if (handler.displayName.isEmpty()) {
        handler.displayName = handler.id;
        if (handler.displayName.endsWith(QLatin1String(".desktop")))
            handler.displayName.chop(8);
    }
    handler.iconNames = iconNames(g_app_info_get_icon(info));
    return handler;
}

// Takes ownership of the list and its entries.
std::vector<AppInfoPointer> takeAppInfos(GList *list)
{
    std::vector<AppInfoPointer> infos;
    for (GList *item = list; item; item = item->next)
        infos.emplace_back(G_APP_INFO(item->data));
    g_list_free(list);
    return infos;
}

AppInfoPointer findIn(std::vector<AppInfoPointer> infos, const QByteArray &id)
{
    for (AppInfoPointer &info : infos) {
        if (id == g_app_info_get_id(info.get()))
            return std::move(info);
    }
    return nullptr;
}

// The handlers of the scheme first; any installed application may be made one.
AppInfoPointer findAppInfo(const QString &id)
{
    const QByteArray wanted = id.toUtf8();
    if (AppInfoPointer info = findIn(takeAppInfos(g_app_info_get_all_for_type(kMimeType)), wanted))
        return info;
    return findIn(takeAppInfos(g_app_info_get_all()), wanted);
}

} // namespace

QList<Handler> orderedHandlers(const std::optional<Handler> &current, const QList<Handler> &all)
{
    QList<Handler> candidates;
    if (current)
        candidates.append(*current);
    candidates.append(all);

    QList<Handler> kept;
    QSet<QString> keptNames;
    for (const Handler &candidate : std::as_const(candidates)) {
        if (candidate.id.isEmpty() || keptNames.contains(candidate.displayName))
            continue;
        keptNames.insert(candidate.displayName);
        kept.append(candidate);
    }
    const QCollator collator = Collation::standard();
    std::stable_sort(kept.begin(), kept.end(), [&collator](const Handler &left, const Handler &right) {
        return collator.compare(left.displayName, right.displayName) < 0;
    });
    return kept;
}

QIcon handlerIcon(const Handler &handler)
{
    for (const QString &name : handler.iconNames) {
        if (QDir::isAbsolutePath(name)) {
            if (QFileInfo::exists(name))
                return QIcon(name);
        } else if (QIcon::hasThemeIcon(name)) {
            return QIcon::fromTheme(name);
        }
    }
    return QIcon::fromTheme(QStringLiteral("application-x-executable"));
}

std::optional<Handler> desktopCurrentHandler()
{
    const AppInfoPointer info(g_app_info_get_default_for_uri_scheme(kScheme));
    if (!info)
        return std::nullopt;
    return handlerOf(info.get());
}

QList<Handler> desktopAllHandlers()
{
    QList<Handler> handlers;
    for (const AppInfoPointer &info : takeAppInfos(g_app_info_get_all_for_type(kMimeType)))
        handlers.append(handlerOf(info.get()));
    return handlers;
}

bool setDesktopDefaultHandler(const QString &id)
{
    const AppInfoPointer info = findAppInfo(id);
    if (!info)
        return false;
    GError *error = nullptr;
    const bool done = g_app_info_set_as_default_for_type(info.get(), kMimeType, &error);
    if (error)
        g_error_free(error);
    return done;
}

Backend Backend::desktop()
{
    return Backend {
        &desktopCurrentHandler,
        &desktopAllHandlers,
        [](const QString &id, QObject *context, std::function<void()> done) {
            setDesktopDefaultHandler(id);
            // Reported from the event loop, as a desktop that asks the user would.
            QTimer::singleShot(0, context, std::move(done));
        },
    };
}

} // namespace Lectorin::ManPageLinkHandler
