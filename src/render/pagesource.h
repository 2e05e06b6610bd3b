// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A page source given by its path, as someone writing a page opens it for a preview: whether it can be shown,
// and where in it a line falls.
namespace Lectorin::PageSource {

// Larger files are no page anyone writes by hand; mandoc would still take them, the preview does not.
inline constexpr qint64 kMaxPreviewBytes = 16 * 1024 * 1024;

// Why the file at `path` cannot be previewed, as a sentence for the person who asked: missing, a folder or
// other non-regular file (never opened, so a FIFO cannot block), unreadable, too large, or binary. Nothing
// when it can be. A gzip-compressed page is fine: mandoc reads it.
std::optional<QString> problem(const QString &path);

// The position, counted from 0, of the section or subsection heading (.SH, .SS, .Sh, .Ss) that holds line
// `line` (counted from 1) of `source` among all headings of the source; nothing before the first heading.
std::optional<int> headingIndexBefore(const QByteArray &source, int line);

} // namespace Lectorin::PageSource
