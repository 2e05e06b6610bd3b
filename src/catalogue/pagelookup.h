// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/manpage.h"
#include "catalogue/pagelanguages.h"

#include <QStringList>

#include <optional>

// One reference looked up in the manual folders by probing its file names, for a caller that needs one page
// and not the catalogue (the command-line render). Gives the page a scan of the same roots would resolve to,
// or nothing when it cannot tell without the whole catalogue; the caller then scans.
namespace Lectorin::PageLookup {

// Answers only a reference whose identifier "section/name" exists, a bare name counting as section "1" (the
// section every other one yields to), with an ASCII name and section. The page's display name is its bare
// name: whether it needs the section depends on the other sections of the name, which are not looked at.
std::optional<ManPage> findDirectly(
    const QList<PageLanguages::ManualRoot> &roots, const PageReference &reference);
// The untranslated page of `roots`.
std::optional<ManPage> findDirectly(const QStringList &roots, const PageReference &reference);

} // namespace Lectorin::PageLookup
