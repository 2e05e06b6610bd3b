// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

// The text of mandoc's HTML, for reading it as a person would.
namespace Lectorin::HtmlText {

// `html` without its tags, its character references decoded and its whitespace folded to single spaces.
QString plain(QStringView html);

} // namespace Lectorin::HtmlText
