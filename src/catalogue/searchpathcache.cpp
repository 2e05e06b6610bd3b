// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/searchpathcache.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

namespace Lectorin::SearchPathCache {
namespace {

const QString kManualKey = QStringLiteral("manualDirectories");
const QString kCommandKey = QStringLiteral("commandDirectories");
const QString kEnvironmentKey = QStringLiteral("environment");
// A cache file is a few hundred bytes; anything far larger is not ours.
constexpr qint64 kMaximumFileSize = 1 << 20;

// Absolute folders only: anything else was not written by this program.
std::optional<QStringList> directoriesIn(const QJsonValue &value)
{
    if (!value.isArray())
        return std::nullopt;
    QStringList directories;
    for (const QJsonValue &entry : value.toArray()) {
        if (!entry.isString() || !QDir::isAbsolutePath(entry.toString()))
            return std::nullopt;
        directories.append(entry.toString());
    }
    if (directories.isEmpty())
        return std::nullopt;
    return directories;
}

QJsonArray discoveryEnvironment()
{
    QJsonArray values;
    for (const char *name : { "SHELL", "MANPATH", "PATH" })
        values.append(qEnvironmentVariable(name));
    return values;
}

} // namespace

QString defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation)
        + QStringLiteral("/search-paths.json");
}

std::optional<SearchPathSet> read(const QString &path)
{
    QFile file(path);
    if (file.size() > kMaximumFileSize || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonObject object = QJsonDocument::fromJson(file.readAll()).object();
    if (object.value(kEnvironmentKey) != discoveryEnvironment())
        return std::nullopt;
    const std::optional<QStringList> manual = directoriesIn(object.value(kManualKey));
    const std::optional<QStringList> commands = directoriesIn(object.value(kCommandKey));
    if (!manual || !commands)
        return std::nullopt;
    return SearchPathSet { *manual, *commands };
}

bool write(const QString &path, const SearchPathSet &paths)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    const QJsonObject object {
        { kManualKey, QJsonArray::fromStringList(paths.manualDirectories) },
        { kCommandKey, QJsonArray::fromStringList(paths.commandDirectories) },
        { kEnvironmentKey, discoveryEnvironment() },
    };
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QJsonDocument(object).toJson(QJsonDocument::Indented));
    return file.commit();
}

} // namespace Lectorin::SearchPathCache
