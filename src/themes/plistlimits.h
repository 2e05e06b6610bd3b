// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// libplist parses and frees nested containers recursively and copies objects that a binary list references
// more than once, so a small hostile file can exhaust the stack or the memory. This check bounds both before
// the bytes reach libplist.
namespace Lectorin::PlistLimits {

constexpr int kMaximumDepth = 32;
constexpr qsizetype kMaximumNodes = 1 << 20;

// False when the containers of `data` nest deeper than kMaximumDepth, when a binary list would expand to more
// than kMaximumNodes values, or when a binary list's structure is out of bounds.
bool isWithinLimits(const QByteArray &data);

} // namespace Lectorin::PlistLimits
