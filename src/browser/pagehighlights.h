// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "annotations/annotation.h"
#include "annotations/pagetext.h"

#include <QHash>
#include <QObject>
#include <QUuid>

#include <functional>
#include <optional>

namespace Lectorin {

class AnnotationStore;
class BrowserModel;

// The highlights of the page a window shows. After every load (once its links are in place) and whenever the
// store changes them, they are found again in the page's text and marked; those found moved or changed take
// their new quote in the store. New highlights come from the page's selection. GUI thread only.
class PageHighlights : public QObject
{
    Q_OBJECT

public:
    // `browser` and `store` must outlive this object.
    PageHighlights(BrowserModel *browser, AnnotationStore *store, QObject *parent = nullptr);

    AnnotationStore *store() const { return m_store; }
    // The key of the page shown (AnnotationPages); empty while it shows none that can hold highlights.
    const QString &pageKey() const { return m_pageKey; }
    QString pageTitle() const;
    // How a highlight of the shown page was found in it; nothing for highlights of other pages, and until
    // the page's highlights were placed.
    std::optional<Attachment> attachmentOf(const QUuid &id) const;
    // The shown page's highlights that were not found in it.
    QList<QUuid> unplaced() const;
    // Whether the last placement's marks are in the page.
    bool isMarked() const { return m_marked; }

    // The quote of the page's selection, with its context; nothing without a selection in the page's text.
    void takeSelection(std::function<void(const std::optional<TextQuote> &)> done);
    // A new highlight of the shown page.
    void add(const TextQuote &quote, HighlightColour colour, const QString &note = {});
    // Highlights the selection; `done` learns whether there was one.
    void highlightSelection(HighlightColour colour, const QString &note, std::function<void(bool)> done = {});
    // Gives the highlight the selection's quote; `done` learns whether there was a selection.
    void reattachToSelection(const QUuid &id, std::function<void(bool)> done = {});
    // Scrolls the page to the highlight, now when it is marked, else once the page shown next has its marks.
    void reveal(const QUuid &id);

Q_SIGNALS:
    // Another page is shown, or none.
    void pageChanged();
    // The attachments changed.
    void placementsChanged();
    // A placement's marks are in the page.
    void marked();

private:
    std::optional<Highlight> find(const QUuid &id) const;
    void loadStarted();
    void show(const QString &key);
    void place();
    void applyMarks(const QList<Highlight> &highlights);
    void setPlacements(QHash<QUuid, Attachment> placements);

    BrowserModel *m_browser;
    AnnotationStore *m_store;
    QString m_pageKey;
    PageText m_text;
    QHash<QUuid, Attachment> m_placements;
    // Highlights found moved or changed since the load; the store has their new quote, which is exact now.
    QHash<QUuid, Attachment> m_refound;
    std::optional<QUuid> m_pendingReveal;
    // Counts loads, so that a script's answer about an earlier document is dropped.
    int m_generation = 0;
    bool m_marked = false;
};

} // namespace Lectorin
