// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/manpagelinkhandler.h"

#include <QGroupBox>

class QComboBox;

namespace Lectorin {

// "Man page links": the applications that can open x-man-page:// links, with the desktop's current default
// selected; choosing another asks the desktop to make it the default, and the list is then read again so it
// always shows the real default.
class ManPageLinkHandlerSection : public QGroupBox
{
    Q_OBJECT

public:
    explicit ManPageLinkHandlerSection(
        ManPageLinkHandler::Backend backend = ManPageLinkHandler::Backend::desktop(),
        QWidget *parent = nullptr);

    const QList<ManPageLinkHandler::Handler> &handlers() const { return m_handlers; }
    // The selected handler's id; empty when there is none.
    QString selection() const;
    QComboBox *picker() const { return m_picker; }

    void reloadHandlers();

Q_SIGNALS:
    void handlersReloaded();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void choose(int index);

    ManPageLinkHandler::Backend m_backend;
    QList<ManPageLinkHandler::Handler> m_handlers;
    QComboBox *m_picker;
};

} // namespace Lectorin
