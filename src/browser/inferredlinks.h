// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/manpage.h"

#include <QString>
#include <QVariant>
#include <QVariantMap>

namespace Lectorin {
class AppModel;
}

// References in a page's text ("name(section)", also split as "<b>name</b>(section)") and marked names that
// mandoc left unlinked, confirmed against the catalogue and turned into links of class "lectorin-inferred".
// Nothing is linked that the catalogue cannot show, and a page never links to itself.
namespace Lectorin::InferredLinks {

// The confirmed links: reference text as written ("ls(1)") and bare marked names, to man page URLs.
struct Links
{
    QVariantMap patterns;
    QVariantMap marked;

    bool isEmpty() const { return patterns.isEmpty() && marked.isEmpty(); }
    bool operator==(const Links &) const = default;
};

// Turns unlinked http, https, mailto and "www." addresses into links of class "lectorin-web"; needs no
// arguments and no catalogue.
QString webLinkScript();
// Returns the unlinked candidates of the document as "name|section" and, for marked names, "name|".
QString collectScript();
// Takes `patterns` and `marked` and adds the links.
QString linkScript();

// The candidates the catalogue confirms for links on `shown`; empty when `candidates` is no list of strings.
Links confirm(const QVariant &candidates, const ManPage &shown, const AppModel &app);

} // namespace Lectorin::InferredLinks
