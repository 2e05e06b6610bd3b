// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <compare>
#include <optional>

namespace Skeppa {

// An operating-system version as major.minor.patch; compared numerically, component by component.
struct SystemVersion
{
    qint64 major = 0;
    qint64 minor = 0;
    qint64 patch = 0;

    // One to three dot-separated non-negative decimal numbers, surrounding white space allowed.
    static std::optional<SystemVersion> parse(const QString &text);
    // The running kernel's release, reduced to its leading major.minor.patch.
    static SystemVersion current();

    // "15" for 15.0.0, "14.4" for 14.4.0, "15.0.1" for 15.0.1.
    QString description() const;

    friend auto operator<=>(const SystemVersion &, const SystemVersion &) = default;
    friend bool operator==(const SystemVersion &, const SystemVersion &) = default;
};

size_t qHash(const SystemVersion &version, size_t seed = 0) noexcept;

} // namespace Skeppa
