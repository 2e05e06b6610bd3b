// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "annotations/pagetext.h"

#include <QStringView>

// The page text of a rendered page's HTML read the way the view builds it from the document: its text nodes
// in document order, with a section at each h1 heading. For the command line, tests and benchmarks.
namespace Lectorin::HtmlPageText {

// Text of head, style and script elements and of comments is not page text.
PageText read(QStringView html);

} // namespace Lectorin::HtmlPageText
