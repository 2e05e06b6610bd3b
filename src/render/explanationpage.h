// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "render/commandlineexplainer.h"
#include "themes/manpagepalette.h"

#include <QString>

#include <optional>

// The document of an explained command line: the line with each word linked to what defines it, then one
// entry a part with its definition. Themed and zoomed like every page.
namespace Lectorin::ExplanationPage {

QString html(const QString &line, const QList<CommandLineExplainer::Part> &parts,
    const std::optional<ManPagePalette> &palette, double fontScale);

// "Explaining …" while the pages are read.
QString pendingHTML(const QString &line, const std::optional<ManPagePalette> &palette, double fontScale);

// The address a part links to: its page, at its definition; nothing for a part nothing defines.
std::optional<QString> linkOf(const CommandLineExplainer::Part &part);

} // namespace Lectorin::ExplanationPage
