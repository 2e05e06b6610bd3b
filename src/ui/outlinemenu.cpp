// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/outlinemenu.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QWidgetAction>

#include <algorithm>

namespace Lectorin {
namespace {

constexpr int kLongestSummary = 60;

QString definitionText(const OutlineEntry &entry)
{
    if (entry.summary.isEmpty())
        return entry.title;
    const QString summary = entry.summary.size() > kLongestSummary
        ? entry.summary.left(kLongestSummary - 1).trimmed() + u'…'
        : entry.summary;
    return entry.title + QStringLiteral(" \u2014 ") + summary;
}

// Down from the field moves into the menu's entries, as in the sidebar's filter.
class FilterField : public QLineEdit
{
public:
    using QLineEdit::QLineEdit;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Down || event->key() == Qt::Key_Up || event->key() == Qt::Key_Return
            || event->key() == Qt::Key_Enter) {
            event->ignore();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
};

} // namespace

OutlineMenu::OutlineMenu(QWidget *parent)
    : QMenu(parent)
    , m_filter(new FilterField)
{
    m_filter->setPlaceholderText(tr("Filter Sections and Options"));
    m_filter->setAccessibleName(tr("Filter sections and options"));
    m_filter->setClearButtonEnabled(true);
    auto *holder = new QWidgetAction(this);
    holder->setDefaultWidget(m_filter);
    m_filterAction = holder;
    connect(m_filter, &QLineEdit::textChanged, this, &OutlineMenu::applyFilter);
    connect(this, &QMenu::aboutToShow, this, [this] {
        m_filter->clear();
        if (m_filterAction->isVisible())
            m_filter->setFocus();
    });
}

void OutlineMenu::setEntries(const QList<OutlineEntry> &entries)
{
    // Kept: clear() deletes the actions the menu owns.
    removeAction(m_filterAction);
    clear();
    m_sections.clear();
    m_definitions.clear();
    m_definitionsHeading = nullptr;
    // The filter earns its place on pages with options; a plain outline stays a plain menu.
    const bool hasDefinitions = std::any_of(entries.cbegin(), entries.cend(),
        [](const OutlineEntry &entry) { return entry.level == OutlineEntry::kDefinitionLevel; });
    if (hasDefinitions)
        addAction(m_filterAction);
    m_filterAction->setVisible(hasDefinitions);
    for (const OutlineEntry &entry : entries) {
        const bool isDefinition = entry.level == OutlineEntry::kDefinitionLevel;
        if (isDefinition && !m_definitionsHeading)
            m_definitionsHeading = addSection(tr("Options"));
        const QString text = isDefinition ? definitionText(entry)
            : entry.level == 2            ? QStringLiteral("    ") + entry.title
                                          : entry.title;
        QAction *action = addAction(text, this, [this, id = entry.id] { emit entryChosen(id); });
        (isDefinition ? m_definitions : m_sections).append(action);
    }
}

QList<QAction *> OutlineMenu::shownEntries() const
{
    QList<QAction *> shown;
    for (QAction *action : m_sections + m_definitions) {
        if (action->isVisible())
            shown.append(action);
    }
    return shown;
}

void OutlineMenu::applyFilter(const QString &text)
{
    const QString wanted = text.trimmed();
    bool anyDefinition = false;
    for (QAction *action : std::as_const(m_sections))
        action->setVisible(action->text().contains(wanted, Qt::CaseInsensitive));
    for (QAction *action : std::as_const(m_definitions)) {
        const bool shown = action->text().contains(wanted, Qt::CaseInsensitive);
        action->setVisible(shown);
        anyDefinition = anyDefinition || shown;
    }
    if (m_definitionsHeading)
        m_definitionsHeading->setVisible(anyDefinition);
    // The first entry left is where Return goes.
    const QList<QAction *> shown = shownEntries();
    setActiveAction(shown.isEmpty() ? nullptr : shown.first());
}

} // namespace Lectorin
