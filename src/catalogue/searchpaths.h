// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/spawnedprocess.h"

#include <QByteArray>
#include <QStringList>

#include <optional>

namespace Lectorin::SearchPaths {

// The manual search path, learnt from the login shell's `manpath`, then /usr/bin/manpath, then
// /usr/share/man. Never empty, unless `cancellation` ended it. Blocking: call it off the GUI thread.
QStringList manualDirectories(const SpawnedProcess::Cancellation *cancellation = nullptr);

// The command search path, learnt from the login shell's $PATH, else the usual five directories. Never empty,
// unless `cancellation` ended it. Blocking: call it off the GUI thread.
QStringList commandDirectories(const SpawnedProcess::Cancellation *cancellation = nullptr);

// The directories of the last line of `output` that contains a "/", split at ":"; nothing when the output
// is not UTF-8 or has no such line.
std::optional<QStringList> parsePathList(const QByteArray &output);

} // namespace Lectorin::SearchPaths
