// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// The web engine's start flags (QTWEBENGINE_CHROMIUM_FLAGS) that the program adds to the user's own. They
// must be in place before the engine starts, i.e. before the QApplication exists.
namespace Lectorin::EngineFlags {

// `flags` with one renderer process for every page, unless they already choose a process model. Every page
// comes from Lectorin's own scheme and runs only Lectorin's own short scripts, so a process per tab buys no
// isolation and costs one renderer each.
QByteArray withSharedRenderer(const QByteArray &flags);
// Applies withSharedRenderer to the environment.
void shareOneRenderer();

// Keeps the engine's reports for its developers (its GL dump, its log lines) off the terminal, unless the
// user's own flags set a log level; `moreFilterRules` silences further categories with them. QT_LOGGING_RULES
// still brings them back.
void quietEngine(const QString &moreFilterRules = {});

// Whether the engine must be told to start without its sandbox: it refuses to start inside it as root, and
// would then hang or fail with a log line of its own. The user's own setting of either switch wins.
bool needsSandboxSwitch(bool isRoot, bool sandboxVariableSet, const QByteArray &flags);
// Every page is Lectorin's own and its scripts are held by the page's policy, so as root the engine runs
// without its sandbox; `program` says so once on standard error.
void allowStartAsRoot(const char *program);

// Lets the engine show pages to screen readers (Qt WebEngine on Linux does only when asked); a value the user
// set stays.
void exposePagesToAccessibility();

} // namespace Lectorin::EngineFlags
