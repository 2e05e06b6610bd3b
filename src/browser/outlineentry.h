// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace Lectorin {

// One outline entry of the shown page: a section (level 1) or subsection (level 2) heading, or a definition
// of an option or subcommand (level 3), titled by its names, with the start of its description.
struct OutlineEntry
{
    static constexpr int kDefinitionLevel = 3;

    QString id;
    QString title;
    int level = 1;
    QString summary = {};

    bool operator==(const OutlineEntry &) const = default;
};

} // namespace Lectorin
