// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "annotations/annotation.h"
#include "catalogue/manpage.h"
#include "render/exportdata.h"
#include "web/manpageexporter.h"

#include <QList>

namespace Lectorin {

// Exports that carry the reader's highlights: the page is rendered afresh in an exporter, its highlights are
// found in it and marked, and the marked document is written. PDFs and HTML keep the marks as the window
// shows them; RTF keeps their colours as text backgrounds; plain text, which has no marks, keeps the page's
// text and lists the highlights and notes after it.
namespace HighlightedExport {

void write(ManPageExporter *exporter, const ManPage &page, const QList<Highlight> &highlights,
    ExportFormat format, const QString &filePath, const RenderTools &tools, ManPageExporter::Completion done);

// The body for ScriptCall: every mark becomes a <span> with its colour as an inline background, which the
// rich-text import understands.
QString inlineColoursScript();

} // namespace HighlightedExport
} // namespace Lectorin
