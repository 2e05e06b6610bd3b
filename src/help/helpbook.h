// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QUrl>

// The help book's fixed table of contents and where its pages live: plain data, so the book can be checked
// against the files on disk without a window.
namespace Lectorin::HelpBook {

struct Page
{
    QString slug; // the page's file name without ".html"
    QString title;

    bool operator==(const Page &) const = default;
};

size_t qHash(const Page &page, size_t seed = 0) noexcept;

struct Chapter
{
    QString title;
    QList<Page> pages;

    bool operator==(const Chapter &) const = default;
};

inline constexpr QStringView kIndexSlug = u"index";
inline constexpr QStringView kPageExtension = u".html";

// The chapters in reading order.
const QList<Chapter> &tableOfContents();

// Every page of the book, chapter by chapter.
QList<Page> pages();

// The title of the listed page with this slug, or an empty string.
QString title(const QString &slug);

// The file URL of a page inside helpFolder; an empty URL when there is no folder or when the slug is not a
// plain file name (it must never reach outside the folder).
QUrl url(const QString &slug, const QString &helpFolder);

// The slug a loaded URL shows: its last path component without the extension; empty for an empty URL.
QString slug(const QUrl &url);

// Whether a navigation may happen inside the help window: local files and requests without a URL do; every
// other address belongs to the desktop's own applications.
bool staysInHelp(const QUrl &url);

} // namespace Lectorin::HelpBook
