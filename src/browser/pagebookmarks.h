// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "annotations/annotation.h"

#include <QString>
#include <QVariant>

#include <functional>
#include <optional>

namespace Lectorin {

class AnnotationStore;
class BrowserModel;

// Bookmarks of the page a window shows, and opening them again.
namespace PageBookmarks {

// The section heading or option definition at the top of the view.
struct Anchor
{
    QString id;
    QString title;
    bool operator==(const Anchor &) const = default;
};

// The body for ScriptCall: the last heading or definition whose top has reached the top of the view, as
// { id, title }; null at the top of the page or before the first of them.
QString anchorScript();
std::optional<Anchor> anchorFrom(const QVariant &result);

// Where the view is: `done` gets the anchor, or nothing at the page's top.
void findAnchor(BrowserModel *browser, std::function<void(const std::optional<Anchor> &)> done);

// A bookmark of the shown page, at `anchor` when given: "tar(1)", "tar(1) › EXAMPLES". Nothing when the
// window shows no page that can be bookmarked.
std::optional<Bookmark> make(const BrowserModel &browser, const std::optional<Anchor> &anchor);
// Adds it unless the store has one of the same page and place; returns whether it added.
bool add(AnnotationStore &store, const Bookmark &bookmark);
// Bookmarks the shown page where the view is.
void bookmarkWhereViewIs(BrowserModel *browser, AnnotationStore *store);

enum class OpenTarget
{
    here,
    newTab,
    newWindow
};
// Shows the page at the bookmark's place; the not-installed alert when the page is not installed.
void open(BrowserModel *browser, const QString &pageKey, const QString &fragment, OpenTarget target);

} // namespace PageBookmarks
} // namespace Lectorin
