// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/pagerowssectionmodel.h"

namespace Lectorin {

// The "Command Help" section: the help pages a filter matches; absent when it matches none.
class CommandHelpSectionModel : public PageRowsSectionModel
{
public:
    inline static const QString kTitle = QStringLiteral("Command Help");

    explicit CommandHelpSectionModel(QObject *parent = nullptr)
        : PageRowsSectionModel(kTitle, Header::withPages, parent)
    { }
};

} // namespace Lectorin
