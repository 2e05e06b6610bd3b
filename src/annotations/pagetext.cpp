// SPDX-License-Identifier: GPL-3.0-or-later
#include "annotations/pagetext.h"

#include <algorithm>

namespace Lectorin {

QString PageText::sectionAt(qsizetype offset) const
{
    const auto after = std::upper_bound(sections.cbegin(), sections.cend(), offset,
        [](qsizetype value, const PageSection &section) { return value < section.start; });
    return after == sections.cbegin() ? QString() : std::prev(after)->title;
}

} // namespace Lectorin
