// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace Lectorin::WindowActivation {

// Shows `window`, un-minimised if it was (keeping a maximised state), above the others and active.
void bringToFront(QWidget *window);

} // namespace Lectorin::WindowActivation
