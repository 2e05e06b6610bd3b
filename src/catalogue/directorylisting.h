// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <dirent.h>

#include <memory>

namespace Lectorin::DirectoryListing {

struct DirectoryCloser
{
    void operator()(DIR *directory) const { closedir(directory); }
};

// Calls `visit(name)` with the raw bytes of every entry's name but "." and "..", in listing order, and
// nothing else: no stat, no decoding. False when `encodedPath` cannot be listed.
template<typename Visitor>
bool forEachEntry(const QByteArray &encodedPath, Visitor &&visit)
{
    const std::unique_ptr<DIR, DirectoryCloser> directory(opendir(encodedPath.constData()));
    if (!directory)
        return false;
    while (const dirent *entry = readdir(directory.get())) {
        const char *name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        visit(QByteArrayView(name));
    }
    return true;
}

inline QByteArray joined(const QByteArray &directory, QByteArrayView name)
{
    QByteArray path;
    path.reserve(directory.size() + name.size() + 1);
    path.append(directory);
    if (!path.endsWith('/'))
        path.append('/');
    path.append(name);
    return path;
}

} // namespace Lectorin::DirectoryListing
