// SPDX-License-Identifier: GPL-3.0-or-later
#include "skeppa/updatedecision.h"

#include <algorithm>

namespace Skeppa::UpdateDecision {

UpdateOutcome decide(const UpdateFeed &feed, qint64 runningBuild, const SystemVersion &system,
    std::optional<qint64> skippedBuild)
{
    QList<Release> newer;
    for (const Release &release : feed.releases) {
        if (release.build > runningBuild)
            newer.append(release);
    }
    if (newer.isEmpty())
        return UpdateOutcome::upToDate();
    std::stable_sort(
        newer.begin(), newer.end(), [](const Release &a, const Release &b) { return a.build > b.build; });

    // A release that cannot run here must not hide an older one that can.
    const auto supported = std::find_if(
        newer.cbegin(), newer.cend(), [&](const Release &release) { return release.isSupported(system); });
    if (supported != newer.cend()) {
        if (skippedBuild && *skippedBuild == supported->build)
            return UpdateOutcome::skipped(*supported);
        return UpdateOutcome::available(*supported);
    }

    // Point at the smallest system upgrade that would help; strict < keeps the higher build on ties.
    const Release *lowestRequirement = nullptr;
    std::optional<SystemVersion> lowestMinimum;
    for (const Release &release : newer) {
        const std::optional<SystemVersion> minimum = SystemVersion::parse(release.minimumSystemVersion);
        if (minimum && (!lowestMinimum || *minimum < *lowestMinimum)) {
            lowestMinimum = minimum;
            lowestRequirement = &release;
        }
    }
    return UpdateOutcome::availableButUnsupported(lowestRequirement ? *lowestRequirement : newer.first());
}

} // namespace Skeppa::UpdateDecision
