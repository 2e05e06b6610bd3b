// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QAction;

namespace Lectorin {

class MainWindow;

// What the menus of every window reach beyond their own window: the application's windows and commands.
class ApplicationActions
{
public:
    virtual ~ApplicationActions() = default;
    virtual void newWindow(MainWindow *from) = 0;
    virtual void showSettings() = 0;
    virtual void showHelp() = 0;
    // Asks for a file and writes every bookmark, highlight and note to it as Markdown.
    virtual void exportNotes(MainWindow *from) = 0;
    // "Check for Updates…", shared by every window; may be null.
    virtual QAction *checkForUpdatesAction() = 0;
};

} // namespace Lectorin
