// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/manpage.h"

#include <QString>
#include <QUrl>

#include <optional>

namespace Lectorin {

class AppModel;

inline const QString kManURLScheme = QStringLiteral("x-lectorin-man");
inline const QString kManPageLinkScheme = QStringLiteral("x-man-page");
// A page source previewed from its file, outside the catalogue: "x-lectorin-file:///abs/path/tool.1".
inline const QString kPageFileScheme = QStringLiteral("x-lectorin-file");

// "x-lectorin-man://" + section + "/" + name, percent-encoded. A section QUrl would rewrite as a host goes in
// the query instead ("x-lectorin-man:///name?section=010"), so every section comes back as written; nothing
// when no form reads back as the page.
std::optional<QString> manURLString(const QString &name, const std::optional<QString> &section);
std::optional<QUrl> manURL(const QString &name, const std::optional<QString> &section);
inline std::optional<QUrl> manURL(const ManPage &page)
{
    return manURL(page.name, page.section);
}

// Whether a URL is a man page link: the program's own scheme or the desktop's x-man-page.
bool isManPageLink(const QUrl &url);

// The name and section a man page URL (or an x-man-page URL) names; nothing when it names no page. Reads URLs
// as the web engine hands them over: a numeric section comes back from its dotted-quad host form ("0.0.0.1"),
// and a "section" query item wins over the host.
std::optional<PageReference> parseManURL(const QUrl &url);

// The reference a man page URL typed or handed over as text names: as parseManURL, but the part QUrl would
// take for a host counts as written ("x-lectorin-man://010/foo" is section 010, "x-man-page://Xlib" names
// Xlib).
std::optional<PageReference> parseManURLText(const QString &text);

// The preview URL of the page source at `path` (made absolute), and the path a preview URL names (nothing for
// another URL).
QUrl pageFileURL(const QString &path);
std::optional<QString> pageFilePath(const QUrl &url);

// Answers requests that carry no URL.
QUrl manErrorURL();

// The application model's lookup, first letting a section that lost its case on the way through the engine
// ("3x11") find its page ("3X11").
std::optional<ManPage> resolveManReference(const AppModel &app, const PageReference &reference);

} // namespace Lectorin
