// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHashFunctions>
#include <QString>

namespace Skeppa {

// Why a feed document could not be decoded; the payloads are for diagnostics, never shown to people.
struct UpdateFeedError
{
    enum class Kind
    {
        malformed,
        unsupportedSchema
    };

    Kind kind = Kind::malformed;
    QString description; // malformed: what the decoder tripped over
    qint64 schema = 0; // unsupportedSchema: the value found

    static UpdateFeedError malformed(const QString &description)
    {
        return { Kind::malformed, description, 0 };
    }
    static UpdateFeedError unsupportedSchema(qint64 schema)
    {
        return { Kind::unsupportedSchema, {}, schema };
    }

    friend bool operator==(const UpdateFeedError &, const UpdateFeedError &) = default;
};

inline size_t qHash(const UpdateFeedError &error, size_t seed = 0) noexcept
{
    return qHashMulti(seed, int(error.kind), error.description, error.schema);
}

} // namespace Skeppa
