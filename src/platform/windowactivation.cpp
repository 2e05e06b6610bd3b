// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windowactivation.h"

#include <QWidget>

namespace Lectorin::WindowActivation {

void bringToFront(QWidget *window)
{
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace Lectorin::WindowActivation
