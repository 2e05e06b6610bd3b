// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

// The texts of the alert for a reference to a page that is not installed.
namespace Lectorin::MissingPageAlert {

// "No manual entry for “name(section)”".
QString message(const QString &name, const std::optional<QString> &section);
QString informativeText();

} // namespace Lectorin::MissingPageAlert
