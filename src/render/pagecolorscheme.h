// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWebEnginePage;

// The engine answers "prefers-color-scheme" from a start flag, not from the application's appearance, so each
// page is told its colour scheme by a script at document ready. The script leaves a document alone whose
// theme chose its own scheme (computed "color-scheme" other than the base stylesheet's "light dark").
namespace Lectorin::PageColorScheme {

QString script(bool dark);
// Installs (or replaces) the script on `page` for later loads and applies it to the document shown now.
void apply(QWebEnginePage *page, bool dark);

} // namespace Lectorin::PageColorScheme
