// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>
#include <QUuid>

namespace Lectorin {

enum class HighlightColour
{
    yellow,
    green,
    blue,
    pink
};
// How a saved highlight was found again in the page as it is now.
enum class Attachment
{
    exact,
    moved,
    changed,
    notFound
};

// A highlight is kept by what it says, so it can be found again after the page changes: its exact text,
// some text either side, the title of the section it was in, and its character position as a hint.
struct TextQuote
{
    QString exact;
    QString prefix; // up to 32 characters before `exact`
    QString suffix; // up to 32 characters after `exact`
    QString section; // title of the section (h1 heading of a man page) it was in; empty if none
    qsizetype position = -1; // offset in PageText::text when saved
    friend bool operator==(const TextQuote &, const TextQuote &) = default;
};

struct Highlight
{
    QUuid id;
    QString page; // the page's URL without fragment, as the browser shows it ("x-lectorin-man://1/tar")
    QString pageTitle; // "tar(1)", for listing when the page is gone
    TextQuote quote;
    HighlightColour colour = HighlightColour::yellow;
    QString note; // empty: a plain highlight
    QDateTime created;
    QDateTime modified;
    friend bool operator==(const Highlight &, const Highlight &) = default;
};

struct Bookmark
{
    QUuid id;
    QString page; // URL without fragment
    QString fragment; // section or option anchor the view was at; empty for the page's top
    QString title; // shown in the pane; user can rename
    QDateTime created;
    friend bool operator==(const Bookmark &, const Bookmark &) = default;
};

} // namespace Lectorin
