// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <system_error>
#include <thread>

namespace Lectorin::Parallel {

// Runs `elsewhere` on a thread of its own while the caller runs `here`, and returns when both are done. The
// two must touch disjoint data. On a single core, or when no thread can be started, both run here in turn.
template<typename Elsewhere, typename Here>
void runBoth(Elsewhere &&elsewhere, Here &&here)
{
    std::optional<std::thread> other;
    if (std::thread::hardware_concurrency() > 1) {
        try {
            other.emplace([&elsewhere] { elsewhere(); });
        } catch (const std::system_error &) { }
    }
    if (!other)
        elsewhere();
    here();
    if (other)
        other->join();
}

} // namespace Lectorin::Parallel
