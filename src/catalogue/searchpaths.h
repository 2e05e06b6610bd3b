// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QStringList>

#include <optional>

namespace Lectorin::SearchPaths {

// The manual search path, learnt from the login shell's `manpath`, then /usr/bin/manpath, then
// /usr/share/man. Never empty. Blocking: call it off the GUI thread.
QStringList manualDirectories();

// The command search path, learnt from the login shell's $PATH, else the usual five directories. Never empty.
// Blocking: call it off the GUI thread.
QStringList commandDirectories();

// The directories of the last line of `output` that contains a "/", split at ":"; nothing when the output
// is not UTF-8 or has no such line.
std::optional<QStringList> parsePathList(const QByteArray &output);

} // namespace Lectorin::SearchPaths
