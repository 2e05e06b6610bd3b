// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace Lectorin {

// The markers makeinfo writes into a node's text between "\0\b[" and "\0\b]", and the text around them.
namespace InfoMarkup {

// The marker makeinfo puts at the top of an index node.
bool hasIndexMarker(QStringView text);

// Tabs as spaces to the next multiple of eight columns.
QString expandTabs(QStringView line);

// The lines of a node's text with the markers turned to text (the index marker dropped, an image shown as its
// alternative text in brackets), tabs in the indentation expanded and trailing blanks cut.
QStringList readableLines(QStringView text);

} // namespace InfoMarkup
} // namespace Lectorin
