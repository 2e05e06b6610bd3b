// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/missingpagealert.h"

namespace Lectorin::MissingPageAlert {

QString message(const QString &name, const std::optional<QString> &section)
{
    const QString reference = section ? name + u'(' + *section + u')' : name;
    return u"No manual entry for \u201C" + reference + u"\u201D";
}

QString informativeText()
{
    return QStringLiteral(
        "The reference points to a page that isn\u2019t installed on this system. Some sections "
        "(2 and 3, for example) come in separate packages that may not be installed.");
}

} // namespace Lectorin::MissingPageAlert
