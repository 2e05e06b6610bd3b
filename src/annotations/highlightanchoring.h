// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "annotations/annotation.h"
#include "annotations/pagetext.h"

// Finds a saved highlight again in a page that may have changed since it was made.
namespace Lectorin::HighlightAnchoring {

struct Placement
{
    qsizetype start = -1;
    qsizetype length = 0;
    Attachment attachment = Attachment::notFound;
    friend bool operator==(const Placement &, const Placement &) = default;
};

// The quote of `length` characters at `start`, with its context and section.
TextQuote quoteAt(const PageText &text, qsizetype start, qsizetype length);

// Order: exact text with its context (exact); then the exact text inside its section, or alone when it occurs
// once, or where its context is most alike (moved); then the closest match above a similarity threshold
// (changed); else notFound. Never a placement on text that does not match.
Placement place(const PageText &text, const TextQuote &quote);

} // namespace Lectorin::HighlightAnchoring
