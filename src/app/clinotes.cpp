// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/clicommands.h"

#include "app/climodel.h"

#include "annotations/annotationsfile.h"
#include "annotations/annotationstore.h"
#include "annotations/notesexport.h"

#include <QDir>

#include <cstdio>

namespace Lectorin::Cli {

int notes(const Arguments &arguments)
{
    if (!arguments.positional.isEmpty()
        || (arguments.flags - QSet<QString> { QStringLiteral("markdown") }).size()) {
        std::fputs("usage: lectorin-cli notes [--markdown]\n", stderr);
        return 2;
    }
    // Only read: moving a damaged file aside is the program's to do, where the reader is told where it went.
    const QString path = AnnotationStore::defaultFilePath();
    const AnnotationsFile::ReadResult result = AnnotationsFile::read(path);
    if (result.status != AnnotationsFile::Status::ok && result.status != AnnotationsFile::Status::missing) {
        printText(u"lectorin-cli: \u201C" + QDir::toNativeSeparators(path) + u"\u201D can\u2019t be read ("
                + result.reason + u"); it is left as it is.\n",
            stderr);
        return 1;
    }
    const AnnotationsFile::Contents &contents = result.contents;
    printText(arguments.hasFlag(QStringLiteral("markdown"))
            ? NotesExport::markdown(contents.bookmarks, contents.highlights)
            : NotesExport::plainText(contents.bookmarks, contents.highlights),
        stdout);
    return 0;
}

} // namespace Lectorin::Cli
