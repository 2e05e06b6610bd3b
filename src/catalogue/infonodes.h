// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/manpage.h"
#include "info/infopath.h"
#include "info/infourl.h"

#include <optional>

// Info nodes in the shape of catalogue pages, so that browsing, history, tabs and exports take them as they
// take man pages: section "info", name "(coreutils)ls invocation", the manual's main file as the location.
namespace Lectorin::InfoNodes {

// "(coreutils)ls invocation"; the manual's Top node is "(coreutils)Top".
QString pageName(const InfoReference &reference);
// The reference of such a name; nothing without a "(manual)" in front.
std::optional<InfoReference> referenceOf(QStringView pageName);
ManPage page(const InfoManual &manual, const QString &node);
// The node a page stands for.
std::optional<InfoReference> referenceOf(const ManPage &page);

// The page of all manuals by category: "info/(dir)Top".
inline const QString kDirectoryManual = QStringLiteral("dir");
bool isDirectory(const InfoReference &reference);

// The page of a node "(manual)node" of an installed manual, or of the directory of the manuals `library`
// was scanned from in `directories` (the directory page carries them as its location, joined by colons).
std::optional<ManPage> pageIn(
    const InfoLibrary &library, const QStringList &directories, QStringView pageName);

} // namespace Lectorin::InfoNodes
