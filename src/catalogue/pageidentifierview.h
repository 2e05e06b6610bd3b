// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringView>

namespace Lectorin {

// The two parts of a page identifier "section/name" (ManPage::id()), split at the first slash without
// copying. An identifier without a slash is all name and has no section.
struct PageIdentifierView
{
    QStringView section;
    QStringView name;

    explicit PageIdentifierView(QStringView id) noexcept
    {
        const qsizetype slash = id.indexOf(u'/');
        section = slash < 0 ? QStringView() : id.first(slash);
        name = id.sliced(slash + 1);
    }

    bool hasSection() const noexcept { return !section.isEmpty(); }
};

} // namespace Lectorin
