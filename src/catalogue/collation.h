// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCollator>
#include <QList>
#include <QString>

namespace Lectorin::Collation {

// The locale collation runs in. In the C locale Qt compares code points and ignores numeric mode, which
// would sort "printf" after "Zsh" and "10" before "2"; English rules stand in for it there.
QLocale collationLocale();

// "Localized case-insensitive" comparison, as file lists sort names.
QCollator caseInsensitive();
// "Localized standard" comparison: case-insensitive and numeric-aware ("2" before "10").
QCollator standard();

} // namespace Lectorin::Collation
