// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "skeppa/release.h"
#include "skeppa/updatefeederror.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <variant>

namespace Skeppa {

struct UpdateFeed;
using UpdateFeedDecoding = std::variant<UpdateFeed, UpdateFeedError>;

// The update feed document: its format version, the application it is for and every published release.
struct UpdateFeed
{
    // The first decoding pass reads only the format version, so a newer format is told apart from garbage.
    struct SchemaHeader
    {
        qint64 schema = 0;
        friend bool operator==(const SchemaHeader &, const SchemaHeader &) = default;
    };

    static constexpr qint64 kSupportedSchema = 1;

    qint64 schema = kSupportedSchema;
    QString app;
    QList<Release> releases;

    // Strict: a required key missing or of the wrong type anywhere fails the whole document; unknown keys
    // are ignored.
    static UpdateFeedDecoding decode(const QByteArray &bytes);

    QJsonObject toJson() const;
    QByteArray encode() const;

    friend bool operator==(const UpdateFeed &, const UpdateFeed &) = default;
};

size_t qHash(const UpdateFeed &feed, size_t seed = 0) noexcept;

} // namespace Skeppa
