// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "skeppa/systemversion.h"

#include <QDate>
#include <QJsonObject>
#include <QString>
#include <QUrl>

#include <optional>

namespace Skeppa {

// One published release as the update feed lists it; identified by its build number.
struct Release
{
    QString version;
    qint64 build = 0;
    QString minimumSystemVersion;
    QString date;
    QUrl url;
    std::optional<QUrl> notes;
    std::optional<QString> sha256;

    qint64 id() const { return build; }
    // "date" as a YYYY-MM-DD calendar date; absent when the text is in any other form.
    std::optional<QDate> publishedDate() const;
    // False when the minimum system version does not parse.
    bool isSupported(const SystemVersion &system) const;

    // "Version V needs Linux M. This computer runs Linux C.", for a release this system cannot run; a
    // minimum that does not parse is shown as written.
    QString unsupportedSystemMessage(const SystemVersion &running) const;

    // The feed's keys; absent notes and checksum are left out.
    QJsonObject toJson() const;

    friend bool operator==(const Release &, const Release &) = default;
};

size_t qHash(const Release &release, size_t seed = 0) noexcept;

} // namespace Skeppa
