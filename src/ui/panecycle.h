// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>

#include <functional>

class QWidget;

// F6 and Shift+F6 move the focus from pane to pane (the filter, the lists, the page), as in other desktop
// programs.
namespace Lectorin::PaneCycle {

// The pane after (or before) the one that holds `focused`, among those shown; the first (or last) when none
// does. Null without a pane shown.
QWidget *next(const QList<QWidget *> &panes, const QWidget *focused, bool backwards);

// The two shortcuts on `host`, for the panes `panes` gives at the time of the key.
void install(QWidget *host, std::function<QList<QWidget *>()> panes);

} // namespace Lectorin::PaneCycle
