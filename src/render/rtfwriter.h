// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QStringView>

class QTextDocument;

// Rich text for word processors from an imported document: fonts and sizes, bold, italic, underline, text
// and background colours, paragraphs with their alignment, indents and spacing, and line breaks. Non-ASCII
// text is written as \uN? escapes of its UTF-16 units (surrogate pairs outside the BMP), so the output is
// plain ASCII.
namespace Lectorin::RtfWriter {

QByteArray write(const QTextDocument &document);

// One run of text as RTF: control words for tabs and line breaks, escaped specials, \uN? for the rest.
QByteArray escapeText(QStringView text);

} // namespace Lectorin::RtfWriter
