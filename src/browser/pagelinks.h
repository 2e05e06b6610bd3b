// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QVariant>

// What a reader can click in the shown document, in document order: the links mandoc wrote, the inferred
// cross-references and the web addresses. The headings' own anchors are not listed.
namespace Lectorin::PageLinks {

struct PageLink
{
    // "inferred", "mandoc" or "web" (http, https and mailto, whoever made the link).
    QString kind;
    // The href as written in the document.
    QString target;
    // The link's text with its white space collapsed.
    QString text;

    bool operator==(const PageLink &) const = default;
};

// Returns the links as a list of [kind, target, text] lists.
QString listScript();
// The links of the script's result; empty when it is malformed.
QList<PageLink> fromScriptResult(const QVariant &result);
// "kind<TAB>target<TAB>text".
QString line(const PageLink &link);

} // namespace Lectorin::PageLinks
