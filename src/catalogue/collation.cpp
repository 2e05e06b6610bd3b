// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/collation.h"

namespace Lectorin::Collation {

QLocale collationLocale()
{
    const QLocale system;
    if (system.language() == QLocale::C)
        return QLocale(QLocale::English, QLocale::UnitedStates);
    return system;
}

QCollator caseInsensitive()
{
    QCollator collator(collationLocale());
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

QCollator standard()
{
    QCollator collator = caseInsensitive();
    collator.setNumericMode(true);
    return collator;
}

} // namespace Lectorin::Collation
