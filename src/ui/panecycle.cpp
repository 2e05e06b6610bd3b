// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panecycle.h"

#include <QApplication>
#include <QShortcut>
#include <QWidget>

namespace Lectorin::PaneCycle {

QWidget *next(const QList<QWidget *> &panes, const QWidget *focused, bool backwards)
{
    QList<QWidget *> shown;
    for (QWidget *pane : panes) {
        if (pane && pane->isVisible() && pane->isEnabled())
            shown.append(pane);
    }
    if (shown.isEmpty())
        return nullptr;
    qsizetype at = -1;
    for (qsizetype i = 0; i < shown.size() && focused; ++i) {
        if (shown[i] == focused || shown[i]->isAncestorOf(focused)
            || (shown[i]->focusProxy() && shown[i]->focusProxy() == focused))
            at = i;
    }
    if (at < 0)
        return backwards ? shown.last() : shown.first();
    const qsizetype step = backwards ? shown.size() - 1 : 1;
    return shown[(at + step) % shown.size()];
}

void install(QWidget *host, std::function<QList<QWidget *>()> panes)
{
    for (const bool backwards : { false, true }) {
        auto *shortcut = new QShortcut(QKeySequence(backwards ? Qt::SHIFT | Qt::Key_F6 : Qt::Key_F6), host);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        QObject::connect(shortcut, &QShortcut::activated, host, [panes, backwards] {
            if (QWidget *pane = next(panes(), QApplication::focusWidget(), backwards))
                pane->setFocus(backwards ? Qt::BacktabFocusReason : Qt::TabFocusReason);
        });
    }
}

} // namespace Lectorin::PaneCycle
