// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QLineEdit;

// Names for controls Qt makes on its own, which screen readers would otherwise announce as unnamed buttons.
namespace Lectorin::AccessibleNames {

// The clear button of a field with setClearButtonEnabled(true); call after enabling it.
void nameClearButton(QLineEdit *field, const QString &name);

} // namespace Lectorin::AccessibleNames
