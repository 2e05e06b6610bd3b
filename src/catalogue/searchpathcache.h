// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include <optional>

namespace Lectorin {

// The manual and command search paths one discovery found.
struct SearchPathSet
{
    QStringList manualDirectories;
    QStringList commandDirectories;

    bool operator==(const SearchPathSet &) const = default;
};

// The last discovered search paths, kept between runs so a start need not wait for a slow login shell.
namespace SearchPathCache {

// The user's cache folder + "/search-paths.json".
QString defaultPath();
// Nothing when the file is missing, damaged, holds an empty list, or was written under another login shell,
// MANPATH or PATH: those decide what discovery finds.
std::optional<SearchPathSet> read(const QString &path);
// Replaces the file at once (written beside it, then renamed); false when it cannot be written.
bool write(const QString &path, const SearchPathSet &paths);

} // namespace SearchPathCache
} // namespace Lectorin
