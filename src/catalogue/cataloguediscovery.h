// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace Lectorin {

// Where the search paths come from; both functions block, on a pool of their own. Tests pass fixed folders.
struct CatalogueDiscovery
{
    std::function<QStringList()> manualDirectories;
    std::function<QStringList()> commandDirectories;
    // Where the last discovered paths are kept between runs; the first load scans them at once and
    // discovers in the background. Empty: every load discovers first.
    QString cacheFile = {};
    // The reader's languages in place of the locale's.
    std::optional<QStringList> languages = {};
    // Whether "Show translated pages when available" decides if the languages are shown; false shows
    // them whatever the setting.
    bool followsTranslationSetting = true;
    // Ends a discovery that runs at once (the two functions then return what they have, maybe nothing) and
    // every later one; called when the catalogue goes, so that quitting never waits for a login shell.
    std::function<void()> stop = {};
    // The folders of the Info manuals; empty: none are looked for.
    std::function<QStringList()> infoDirectories = {};
    // Whether each scan's pages get their descriptions in the background; one-shot tools ask when they need.
    bool describesPages = true;
};

} // namespace Lectorin
