// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "annotations/annotation.h"

#include <QAbstractListModel>
#include <QList>
#include <QPointer>

#include <optional>

namespace Lectorin {

class AnnotationStore;
class PageHighlights;

// Every highlight, those of the page shown first: its page, section, text, note and colour, and for the
// shown page's highlights how they were found in it.
class NotesListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role
    {
        HighlightID = Qt::UserRole + 100,
        PageTitle,
        Section,
        Note,
        Colour,
        // The Attachment of a highlight of the shown page as an int; -1 for other pages' highlights.
        State,
        StateText
    };

    // `shown` may be null: no page's highlights are placed.
    NotesListModel(AnnotationStore *store, PageHighlights *shown, QObject *parent = nullptr);

    std::optional<Highlight> highlightAt(int row) const;
    int rowOf(const QUuid &id) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    // "Not found in the current page", "Found at another place", "Found with changed text"; empty for an
    // exact find.
    static QString stateText(Attachment attachment);

private:
    void rebuild();

    AnnotationStore *m_store;
    QPointer<PageHighlights> m_shown;
    QList<Highlight> m_highlights;
};

} // namespace Lectorin
