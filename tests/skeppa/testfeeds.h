// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A schema 1 feed with one release per build, each needing `minimumSystemVersion`; "1.0" runs anywhere.
inline QByteArray feedDocument(
    const QList<qint64> &builds, const QString &minimumSystemVersion = QStringLiteral("1.0"))
{
    QStringList releases;
    for (const qint64 build : builds) {
        releases.append(QStringLiteral(
            "{\"version\": \"1.%1\", \"build\": %1, \"minimumSystemVersion\": \"%2\", "
            "\"date\": \"2025-03-07\", "
            "\"url\": \"https://github.com/lectorin/lectorin/releases/download/1.%1/l.tar.gz\"}")
                            .arg(build)
                            .arg(minimumSystemVersion));
    }
    return QStringLiteral("{\"schema\": 1, \"app\": \"Lectorin\", \"releases\": [%1]}")
        .arg(releases.join(QStringLiteral(", ")))
        .toUtf8();
}
