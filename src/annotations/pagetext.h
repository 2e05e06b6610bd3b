// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

namespace Lectorin {

struct PageSection
{
    qsizetype start = 0;
    QString title;
    friend bool operator==(const PageSection &, const PageSection &) = default;
};

// The page's text as the reader's view has it: the concatenation, in document order, of the text nodes of
// the rendered page's content, with where each section starts (sections in ascending order of start).
struct PageText
{
    QString text;
    QList<PageSection> sections;

    // The title of the section holding `offset`; empty before the first one.
    QString sectionAt(qsizetype offset) const;
    friend bool operator==(const PageText &, const PageText &) = default;
};

} // namespace Lectorin
