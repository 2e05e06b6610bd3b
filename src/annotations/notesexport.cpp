// SPDX-License-Identifier: GPL-3.0-or-later
#include "annotations/notesexport.h"

namespace Lectorin::NotesExport {

QString markdown(const QList<Bookmark> &, const QList<Highlight> &)
{
    return {};
}

QString plainText(const QList<Bookmark> &, const QList<Highlight> &)
{
    return {};
}

} // namespace Lectorin::NotesExport
