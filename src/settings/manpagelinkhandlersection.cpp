// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/manpagelinkhandlersection.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QLabel>
#include <QSignalBlocker>

namespace Lectorin {

ManPageLinkHandlerSection::ManPageLinkHandlerSection(ManPageLinkHandler::Backend backend, QWidget *parent)
    : QGroupBox(QCoreApplication::translate("Settings", "Man page links"), parent)
    , m_backend(std::move(backend))
    , m_picker(new QComboBox)
{
    m_picker->setIconSize(QSize(16, 16));
    m_picker->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto *form = new QFormLayout(this);
    form->addRow(QCoreApplication::translate("Settings", "Open man page links with"), m_picker);
    auto *footer = new QLabel(QCoreApplication::translate("Settings",
        "The app that opens x-man-page:// links everywhere \u2014 for example when a terminal or a browser "
        "opens a man page link. The choice is saved in your desktop\u2019s default applications."));
    footer->setWordWrap(true);
    footer->setForegroundRole(QPalette::PlaceholderText);
    form->addRow(footer);

    connect(m_picker, &QComboBox::activated, this, &ManPageLinkHandlerSection::choose);
    reloadHandlers();
}

QString ManPageLinkHandlerSection::selection() const
{
    return m_picker->currentData().toString();
}

void ManPageLinkHandlerSection::reloadHandlers()
{
    const std::optional<ManPageLinkHandler::Handler> current = m_backend.current();
    m_handlers = ManPageLinkHandler::orderedHandlers(current, m_backend.all());

    const QSignalBlocker blocker(m_picker);
    m_picker->clear();
    for (const ManPageLinkHandler::Handler &handler : std::as_const(m_handlers))
        m_picker->addItem(ManPageLinkHandler::handlerIcon(handler), handler.displayName, handler.id);
    m_picker->setCurrentIndex(current ? m_picker->findData(current->id) : -1);
    emit handlersReloaded();
}

void ManPageLinkHandlerSection::showEvent(QShowEvent *event)
{
    // Another program may have changed the default while the window was hidden.
    reloadHandlers();
    QGroupBox::showEvent(event);
}

void ManPageLinkHandlerSection::choose(int index)
{
    const QString id = m_picker->itemData(index).toString();
    if (id.isEmpty())
        return;
    const std::optional<ManPageLinkHandler::Handler> current = m_backend.current();
    if (current && current->id == id)
        return;
    m_backend.setDefault(id, this, [this] { reloadHandlers(); });
}

} // namespace Lectorin
