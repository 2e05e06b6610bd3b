// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/pagerowssectionmodel.h"

namespace Lectorin {

// The "Commands" section: the manual pages, or the scanning row or a message in their place.
class CommandsSectionModel : public PageRowsSectionModel
{
public:
    inline static const QString kTitle = QStringLiteral("Commands");

    explicit CommandsSectionModel(QObject *parent = nullptr)
        : PageRowsSectionModel(kTitle, Header::always, parent)
    { }
};

} // namespace Lectorin
