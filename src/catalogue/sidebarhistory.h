// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class QSettings;

namespace Lectorin {
class Catalogue;
}

// The sidebar's history pane: which entries it shows, how they are labelled, and how tall it is.
namespace Lectorin::SidebarHistory {

inline constexpr int kDefaultHistoryLimit = 30;
inline constexpr int kMinHistoryLimit = 5;
inline constexpr int kMaxHistoryLimit = 100;
inline constexpr double kDefaultPaneHeight = 180;
inline constexpr double kMinPaneHeight = 56;
inline constexpr double kHandleHeight = 8;
inline constexpr double kCatalogueReserve = 100;

int clampedHistoryLimit(qint64 limit);
int storedHistoryLimit(const QSettings &settings);
void storeHistoryLimit(QSettings &settings, qint64 limit);
double storedPaneHeight(const QSettings &settings);
void storePaneHeight(QSettings &settings, double height);

// The first clamped-limit identifiers of the history, most recent first.
QStringList displayedHistory(const QStringList &history, qint64 historyLimit);

struct RowLabel
{
    enum class Style
    {
        manualPage, // the page's display name
        helpPage, // the name, followed by a small faint "--help"
        missing, // not in the catalogue: the name part of the identifier, secondary colour
    };
    QString text;
    Style style = Style::manualPage;
    bool operator==(const RowLabel &) const = default;
};
inline const QString kHelpSuffix = QStringLiteral("--help");

RowLabel rowLabel(const QString &id, const Catalogue &catalogue);

double largestPaneHeight(double sidebarHeight);
double laidOutPaneHeight(double storedHeight, double sidebarHeight);
// The height for a drag that started at `startHeight` and has moved `translation` (downwards positive).
double draggedPaneHeight(double startHeight, double translation, double sidebarHeight);

} // namespace Lectorin::SidebarHistory
