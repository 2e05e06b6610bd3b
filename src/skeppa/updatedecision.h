// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "skeppa/systemversion.h"
#include "skeppa/updatefeed.h"
#include "skeppa/updateoutcome.h"

#include <optional>

// Which release, if any, to offer: the newest build above the running one that runs on this system.
namespace Skeppa::UpdateDecision {

UpdateOutcome decide(const UpdateFeed &feed, qint64 runningBuild, const SystemVersion &system,
    std::optional<qint64> skippedBuild);

} // namespace Skeppa::UpdateDecision
