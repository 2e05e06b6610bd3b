// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "browser/outlineentry.h"

#include <QList>
#include <QMenu>

class QLineEdit;

namespace Lectorin {

// The page's outline as a menu: its sections, then its options and subcommands, with a field on top that
// narrows both as one types (tar(1) lists two hundred options).
class OutlineMenu : public QMenu
{
    Q_OBJECT

public:
    explicit OutlineMenu(QWidget *parent = nullptr);

    void setEntries(const QList<OutlineEntry> &entries);
    QLineEdit *filterField() const { return m_filter; }
    // The entries the filter leaves, in menu order.
    QList<QAction *> shownEntries() const;

signals:
    void entryChosen(const QString &id);

private:
    void applyFilter(const QString &text);

    QLineEdit *m_filter;
    QAction *m_filterAction;
    QAction *m_definitionsHeading = nullptr;
    QList<QAction *> m_sections;
    QList<QAction *> m_definitions;
};

} // namespace Lectorin
