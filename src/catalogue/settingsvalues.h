// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>
#include <QVariant>

#include <optional>

// Typed reads of stored settings that tolerate whatever a damaged or hand-edited file holds.
namespace Lectorin::SettingsValues {

// A list of strings; an INI file gives a one-element list back as a plain string, so that counts too.
// Any other type is no list.
std::optional<QStringList> stringList(const QVariant &value);
// A finite number, whether stored as a number or as its text.
std::optional<double> number(const QVariant &value);
std::optional<qint64> integer(const QVariant &value);
std::optional<bool> boolean(const QVariant &value);

} // namespace Lectorin::SettingsValues
