// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "themes/tmtheme.h"

#include <QColor>
#include <QString>

#include <optional>

class QWebEnginePage;

// The engine answers "prefers-color-scheme" from a start flag, not from the application's appearance, so each
// document is told the appearance by a script as soon as its root element exists, before the first paint:
// the attribute "data-lectorin-appearance" on the root, which the base stylesheet turns into its dark look.
// A theme's own colours outrank that look.
namespace Lectorin::PageColorScheme {

QString script(bool dark);
// Installs (or replaces) the script on `page` for later loads and applies it to the document shown now.
void apply(QWebEnginePage *page, bool dark);
// The background a page will paint: the theme's, else the base stylesheet's light or dark canvas. The web
// view shows it until the first frame of a document arrives.
QColor background(const std::optional<TMTheme> &theme, bool dark);

} // namespace Lectorin::PageColorScheme
