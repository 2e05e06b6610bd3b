// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "info/infodir.h"
#include "info/infodocument.h"

#include <QList>
#include <QString>

namespace Lectorin {

// Info nodes as HTML fragments for the program's document template (ManPageRenderer::documentHTML): the
// fragment carries the few style rules of its own classes, so it reads alike in every theme.
namespace InfoNodeHtml {

// A node of `manual`: Up, Prev and Next links above and below; its title (the heading it opens with, else
// its name) as <h1>; headings below it as h2.Sh, h3.Ss, h4.Ss… with ids, ranked by the underlines used in
// the node; filled text as paragraphs, indented or aligned text as <pre>; menus as lists of links and
// cross references as links. Every link is an x-lectorin-info URL, in `manual` unless it names another.
QString body(const InfoNode &node, const QString &manual);

// "ls invocation (coreutils)", for the document's <title>.
QString title(const InfoNode &node, const QString &manual);

// The page of all manuals: a heading for each category and a list of its entries.
QString topPageBody(const QList<InfoDirCategory> &categories);

// The style rules the bodies above rely on, already inside them.
QString stylesheet();

} // namespace InfoNodeHtml
} // namespace Lectorin
