// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "annotations/annotation.h"

#include <QList>

// Bookmarks, highlights and notes as documents to read outside the program.
namespace Lectorin::NotesExport {

// "# Bookmarks", then "# Highlights and notes" grouped by page, each highlight a quote with its note.
QString markdown(const QList<Bookmark> &bookmarks, const QList<Highlight> &highlights);
// The same for a terminal.
QString plainText(const QList<Bookmark> &bookmarks, const QList<Highlight> &highlights);

} // namespace Lectorin::NotesExport
