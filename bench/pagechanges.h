// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include <optional>
#include <random>

// Edits of a man(7) page source of the kinds a package upgrade makes, around one highlighted source line.
namespace Lectorin::PageChanges {

enum class Change
{
    rewordBefore,
    insertOptions,
    moveSection,
    rewordOwn,
    deleteParagraph
};
inline constexpr Change kChanges[] = { Change::rewordBefore, Change::insertOptions, Change::moveSection,
    Change::rewordOwn, Change::deleteParagraph };

const char *nameOf(Change change);

// Plain text lines (no request, no escape) outside NAME, SYNOPSIS and tables, long enough to be a sentence.
QList<qsizetype> highlightableLines(const QStringList &lines);

struct Changed
{
    QStringList lines;
    // The text the highlight must land on in the changed page; empty: the passage is gone.
    QString expected;
};
// Nothing when the page offers no place for this change (no section to move past, say).
std::optional<Changed> apply(
    Change change, const QStringList &lines, qsizetype highlighted, std::mt19937 &random);

} // namespace Lectorin::PageChanges
