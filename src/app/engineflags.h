// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// The web engine's start flags (QTWEBENGINE_CHROMIUM_FLAGS) that the program adds to the user's own. They
// must be in place before the engine starts, i.e. before the QApplication exists.
namespace Lectorin::EngineFlags {

// `flags` with one renderer process for every page, unless they already choose a process model. Every page
// comes from Lectorin's own scheme and runs only Lectorin's own short scripts, so a process per tab buys no
// isolation and costs one renderer each.
QByteArray withSharedRenderer(const QByteArray &flags);
// Applies withSharedRenderer to the environment.
void shareOneRenderer();

} // namespace Lectorin::EngineFlags
