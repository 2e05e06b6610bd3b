// SPDX-License-Identifier: GPL-3.0-or-later
#include "annotations/highlightanchoring.h"

namespace Lectorin::HighlightAnchoring {

TextQuote quoteAt(const PageText &, qsizetype, qsizetype)
{
    return {};
}

Placement place(const PageText &, const TextQuote &)
{
    return {};
}

} // namespace Lectorin::HighlightAnchoring
