// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Where the shipped resource folders ("Themes", "Help") are: beside an installed program, in the source tree
// of a build, or wherever LECTORIN_RESOURCES points.
namespace Lectorin::ResourcePaths {

// The first existing folder among $LECTORIN_RESOURCES/name, <exe dir>/../share/lectorin/name and the source
// tree's resources/name; the empty string when none exists.
QString resourceFolder(const QString &name);

} // namespace Lectorin::ResourcePaths
