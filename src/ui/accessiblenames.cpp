// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/accessiblenames.h"

#include <QAction>
#include <QLineEdit>
#include <QToolButton>

namespace Lectorin::AccessibleNames {

void nameClearButton(QLineEdit *field, const QString &name)
{
    // The field's own clear action: its button shows the action and takes its text as its name.
    if (auto *clear = field->findChild<QAction *>(QStringLiteral("_q_qlineeditclearaction")))
        clear->setText(name);
    for (QToolButton *button : field->findChildren<QToolButton *>())
        button->setAccessibleName(name);
}

} // namespace Lectorin::AccessibleNames
