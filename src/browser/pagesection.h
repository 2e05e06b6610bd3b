// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace Lectorin {

// One outline entry of the shown page: a section (level 1) or subsection (level 2) heading.
struct PageSection
{
    QString id;
    QString title;
    int level = 1;

    bool operator==(const PageSection &) const = default;
};

} // namespace Lectorin
