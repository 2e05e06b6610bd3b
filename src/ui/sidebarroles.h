// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <Qt>

// Roles and row kinds the sidebar's lists share with their delegate.
namespace Lectorin::SidebarRoles {

enum Role
{
    Kind = Qt::UserRole + 1,
    PageID,
    LabelStyle,
    // Result rows: the excerpt as rich text, and what the find bar starts with when the page opens.
    SnippetHTML,
    FindText,
    // The indexing row: pages done and pages in all.
    ProgressDone,
    ProgressTotal,
    // Where in the page a row opens it: an option or an anchor.
    Fragment,
    // An explain row's command line.
    CommandLine,
    // A page row's one-line description; empty while none has arrived.
    Description,
    // A bookmark row's bookmark id.
    BookmarkID
};

enum class RowKind
{
    header,
    page,
    scanning,
    message,
    result,
    indexing,
    showAll,
    explain
};

} // namespace Lectorin::SidebarRoles
