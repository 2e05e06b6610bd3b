// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Start-up tracing: with LECTORIN_TRACE=1 each mark prints "<ms since the process started> <event>" on
// stderr.
namespace Lectorin::Trace {

bool enabled();
void mark(const QString &event);

} // namespace Lectorin::Trace
