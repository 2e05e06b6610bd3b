// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHashFunctions>
#include <QString>

namespace Lectorin {

// A sidebar row and a window's selection: a row of the history pane, or of the command lists.
struct SidebarItem
{
    enum class Kind
    {
        history,
        command
    };

    Kind kind = Kind::command;
    QString pageID;

    static SidebarItem history(const QString &id) { return { Kind::history, id }; }
    static SidebarItem command(const QString &id) { return { Kind::command, id }; }

    bool operator==(const SidebarItem &) const = default;
};

inline size_t qHash(const SidebarItem &item, size_t seed = 0) noexcept
{
    return qHashMulti(seed, item.kind == SidebarItem::Kind::history ? 0 : 1, item.pageID);
}

} // namespace Lectorin
