// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <utility>

namespace Lectorin {

// Work that can be put off: a call runs at once, or, while held, the latest one waits for the release.
class HeldCall
{
public:
    void setHeld(bool held)
    {
        m_isHeld = held;
        if (!held && m_waiting)
            std::exchange(m_waiting, {})();
    }

    void run(std::function<void()> call)
    {
        if (m_isHeld)
            m_waiting = std::move(call);
        else
            call();
    }

    void dropWaiting() { m_waiting = {}; }

private:
    bool m_isHeld = false;
    std::function<void()> m_waiting;
};

} // namespace Lectorin
