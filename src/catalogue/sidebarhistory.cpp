// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/sidebarhistory.h"

#include "catalogue/catalogue.h"
#include "catalogue/pageidentifierview.h"
#include "catalogue/settingsvalues.h"

#include <QSettings>

#include <algorithm>

namespace Lectorin::SidebarHistory {
namespace {

const QString kHistoryLimitKey = QStringLiteral("historyLimit");
const QString kPaneHeightKey = QStringLiteral("historyPaneHeight");

} // namespace

int clampedHistoryLimit(qint64 limit)
{
    return int(std::clamp<qint64>(limit, kMinHistoryLimit, kMaxHistoryLimit));
}

int storedHistoryLimit(const QSettings &settings)
{
    return int(std::clamp<qint64>(
        SettingsValues::integer(settings.value(kHistoryLimitKey)).value_or(kDefaultHistoryLimit),
        std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

void storeHistoryLimit(QSettings &settings, qint64 limit)
{
    settings.setValue(kHistoryLimitKey, clampedHistoryLimit(limit));
}

double storedPaneHeight(const QSettings &settings)
{
    return SettingsValues::number(settings.value(kPaneHeightKey)).value_or(kDefaultPaneHeight);
}

void storePaneHeight(QSettings &settings, double height)
{
    settings.setValue(kPaneHeightKey, height);
}

QStringList displayedHistory(const QStringList &history, qint64 historyLimit)
{
    return history.mid(0, clampedHistoryLimit(historyLimit));
}

RowLabel rowLabel(const QString &id, const Catalogue &catalogue)
{
    const ManPage *found = catalogue.page(id);
    const PageIdentifierView identifier(id);
    // Info nodes are not the catalogue's; a manual that went away shows its error page when opened.
    if (!found && identifier.section == kInfoSection)
        return { identifier.name.toString(), RowLabel::Style::manualPage };
    if (!found)
        return { identifier.name.toString(), RowLabel::Style::missing };
    return { found->displayName,
        found->isHelpPage() ? RowLabel::Style::helpPage : RowLabel::Style::manualPage };
}

double largestPaneHeight(double sidebarHeight)
{
    return std::max(sidebarHeight - kCatalogueReserve - kHandleHeight, kMinPaneHeight);
}

double laidOutPaneHeight(double storedHeight, double sidebarHeight)
{
    return std::clamp(storedHeight, kMinPaneHeight, largestPaneHeight(sidebarHeight));
}

double draggedPaneHeight(double startHeight, double translation, double sidebarHeight)
{
    return laidOutPaneHeight(startHeight + translation, sidebarHeight);
}

} // namespace Lectorin::SidebarHistory
