// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "skeppa/release.h"

#include <optional>

namespace Skeppa {

// What a successful check found; every case but upToDate names the release it is about.
struct UpdateOutcome
{
    enum class Kind
    {
        available,
        availableButUnsupported,
        skipped,
        upToDate
    };

    Kind kind = Kind::upToDate;
    std::optional<Release> release;

    static UpdateOutcome available(const Release &release) { return { Kind::available, release }; }
    static UpdateOutcome availableButUnsupported(const Release &release)
    {
        return { Kind::availableButUnsupported, release };
    }
    static UpdateOutcome skipped(const Release &release) { return { Kind::skipped, release }; }
    static UpdateOutcome upToDate() { return { Kind::upToDate, std::nullopt }; }

    friend bool operator==(const UpdateOutcome &, const UpdateOutcome &) = default;
};

inline size_t qHash(const UpdateOutcome &outcome, size_t seed = 0) noexcept
{
    return qHashMulti(seed, int(outcome.kind), outcome.release.value_or(Release()));
}

} // namespace Skeppa
