// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Icons by their freedesktop names (QIcon::fromTheme) from the desktop's icon theme. Where the desktop names
// none (a bare X server, some window managers), the system's "default" theme stands in; the program's own
// pictures fill in for the few names it needs when no theme has them.
namespace Lectorin::DesktopIcons {

// Call once the application object exists.
void install();

} // namespace Lectorin::DesktopIcons
