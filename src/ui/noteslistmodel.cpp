// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/noteslistmodel.h"

#include "annotations/annotationstore.h"
#include "browser/pagehighlights.h"

#include <algorithm>

namespace Lectorin {

NotesListModel::NotesListModel(AnnotationStore *store, PageHighlights *shown, QObject *parent)
    : QAbstractListModel(parent)
    , m_store(store)
    , m_shown(shown)
{
    connect(store, &AnnotationStore::highlightsChanged, this, &NotesListModel::rebuild);
    if (shown) {
        connect(shown, &PageHighlights::placementsChanged, this, [this] {
            if (rowCount() > 0)
                emit dataChanged(index(0, 0), index(rowCount() - 1, 0));
        });
        connect(shown, &PageHighlights::pageChanged, this, &NotesListModel::rebuild);
    }
    rebuild();
}

void NotesListModel::rebuild()
{
    QList<Highlight> highlights = m_store->highlights();
    const QString shownPage = m_shown ? m_shown->pageKey() : QString();
    std::stable_partition(highlights.begin(), highlights.end(),
        [&shownPage](const Highlight &highlight) { return highlight.page == shownPage; });
    // A note or colour changed: the rows stay, and so does the list's current row.
    if (!highlights.isEmpty()
        && std::equal(highlights.cbegin(), highlights.cend(), m_highlights.cbegin(), m_highlights.cend(),
            [](const Highlight &a, const Highlight &b) { return a.id == b.id; })) {
        m_highlights = std::move(highlights);
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0));
        return;
    }
    beginResetModel();
    m_highlights = std::move(highlights);
    endResetModel();
}

std::optional<Highlight> NotesListModel::highlightAt(int row) const
{
    if (row < 0 || row >= m_highlights.size())
        return std::nullopt;
    return m_highlights.at(row);
}

int NotesListModel::rowOf(const QUuid &id) const
{
    for (qsizetype at = 0; at < m_highlights.size(); ++at) {
        if (m_highlights.at(at).id == id)
            return int(at);
    }
    return -1;
}

int NotesListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_highlights.size());
}

QString NotesListModel::stateText(Attachment attachment)
{
    switch (attachment) {
    case Attachment::exact:
        return QString();
    case Attachment::moved:
        return tr("Found at another place");
    case Attachment::changed:
        return tr("Found with changed text");
    case Attachment::notFound:
        return tr("Not found in the current page");
    }
    return QString();
}

QVariant NotesListModel::data(const QModelIndex &index, int role) const
{
    const std::optional<Highlight> highlight = highlightAt(index.row());
    if (!index.isValid() || !highlight)
        return {};
    const std::optional<Attachment> attachment
        = m_shown ? m_shown->attachmentOf(highlight->id) : std::nullopt;
    switch (role) {
    case Qt::DisplayRole:
        return highlight->quote.exact.simplified();
    case HighlightID:
        return highlight->id;
    case PageTitle:
        return highlight->pageTitle;
    case Section:
        return highlight->quote.section;
    case Note:
        return highlight->note;
    case Colour:
        return int(highlight->colour);
    case State:
        return attachment ? int(*attachment) : -1;
    case StateText:
        return attachment ? stateText(*attachment) : QString();
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole: {
        QStringList parts { highlight->pageTitle };
        if (!highlight->quote.section.isEmpty())
            parts << highlight->quote.section;
        parts << u'\u201C' + highlight->quote.exact.simplified() + u'\u201D';
        if (!highlight->note.isEmpty())
            parts << tr("Note: %1").arg(highlight->note);
        if (attachment && *attachment != Attachment::exact)
            parts << stateText(*attachment);
        return parts.join(QStringLiteral(" — "));
    }
    default:
        return {};
    }
}

} // namespace Lectorin
