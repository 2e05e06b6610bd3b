// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/manpage.h"

#include <QString>
#include <QUrl>

#include <optional>

namespace Lectorin {

class AppModel;

// How bookmarks and highlights name their page: its URL without fragment, in the form that reads back as the
// page ("x-lectorin-man://1/tar", "x-lectorin-info://coreutils/ls%20invocation").
namespace AnnotationPages {

QString keyOf(const ManPage &page);
// The key of the page a URL of the web view shows; nothing when it names no page with a section.
std::optional<QString> keyOf(const QUrl &shownURL);
std::optional<PageReference> referenceOf(const QString &key);
// The catalogue's page for a key; nothing when it is not installed (or the catalogue is not read yet).
std::optional<ManPage> pageOf(const AppModel &app, const QString &key);
// Whether the page is known to be missing: the catalogue (and for Info nodes the manuals) has been read and
// has no such page.
bool isMissing(const AppModel &app, const QString &key);

} // namespace AnnotationPages
} // namespace Lectorin
