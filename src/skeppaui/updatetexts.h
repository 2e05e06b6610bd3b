// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "skeppa/release.h"
#include "skeppa/systemversion.h"
#include "skeppa/updatechecker.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <optional>

// The sentences the update views show, built from the checker's state; English texts are the lookup keys.
namespace SkeppaUI::UpdateTexts {

// Looks a text up in the update library's own translation context.
QString translated(const char *englishText);

QString releaseAvailable(const Skeppa::Release &release);
// "1.4 (27) is the latest version."; without a configuration the sentence starts at the space.
QString upToDate(const std::optional<Skeppa::UpdateChecker::Configuration> &configuration);
// The host of the feed URL as written on the wire, or "—" when there is none.
QString feedHost(const std::optional<Skeppa::UpdateChecker::Configuration> &configuration);
QString footer(const std::optional<Skeppa::UpdateChecker::Configuration> &configuration);
// A medium date and short time, the date replaced by "Today", "Yesterday" or "Tomorrow" where it applies;
// "Never" without a check.
QString lastChecked(
    const std::optional<QDateTime> &lastCheck, const QDateTime &now, const QLocale &locale = QLocale());
// Whether the download (or notes) address may be offered for the configured feed.
bool allowsDownload(
    const std::optional<Skeppa::UpdateChecker::Configuration> &configuration, const QUrl &url);

} // namespace SkeppaUI::UpdateTexts
