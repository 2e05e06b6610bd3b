// SPDX-License-Identifier: GPL-3.0-or-later
#include "skeppaui/updatetexts.h"

#include "skeppa/hostpolicy.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace SkeppaUI::UpdateTexts {
namespace {

// The locale's long date without its weekday and with abbreviated month names: a medium date.
QString mediumDateFormat(const QLocale &locale)
{
    QString format = locale.dateFormat(QLocale::LongFormat);
    static const QRegularExpression weekday(QStringLiteral("d{4}[,\\s]*|[,\\s]*d{4}"));
    format.remove(weekday);
    format.replace(QLatin1String("MMMM"), QLatin1String("MMM"));
    return format.trimmed();
}

} // namespace

QString translated(const char *englishText)
{
    return QCoreApplication::translate("Skeppa", englishText);
}

QString releaseAvailable(const Skeppa::Release &release)
{
    return translated("Version %1 is available.").arg(release.version);
}

QString upToDate(const std::optional<Skeppa::UpdateChecker::Configuration> &configuration)
{
    const QString version = configuration
        ? configuration->app.version + QStringLiteral(" (") + QString::number(configuration->app.build) + u')'
        : QString();
    return version + translated(" is the latest version.");
}

QString feedHost(const std::optional<Skeppa::UpdateChecker::Configuration> &configuration)
{
    const QString host = configuration ? configuration->feedURL.host(QUrl::FullyEncoded) : QString();
    return host.isEmpty() ? QStringLiteral("\u2014") : host;
}

QString footer(const std::optional<Skeppa::UpdateChecker::Configuration> &configuration)
{
    return translated(
        "When on, the app asks %1 once a day whether a newer version exists. The request carries "
        "no identifier and nothing about you or your computer.")
        .arg(feedHost(configuration));
}

QString lastChecked(const std::optional<QDateTime> &lastCheck, const QDateTime &now, const QLocale &locale)
{
    if (!lastCheck || !lastCheck->isValid())
        return translated("Never");
    const QDateTime local = lastCheck->toLocalTime();
    const qint64 days = now.toLocalTime().date().daysTo(local.date());
    QString date;
    if (days == 0)
        date = translated("Today");
    else if (days == -1)
        date = translated("Yesterday");
    else if (days == 1)
        date = translated("Tomorrow");
    else
        date = locale.toString(local.date(), mediumDateFormat(locale));
    return translated("%1 at %2").arg(date, locale.toString(local.time(), QLocale::ShortFormat));
}

bool allowsDownload(const std::optional<Skeppa::UpdateChecker::Configuration> &configuration, const QUrl &url)
{
    return configuration && Skeppa::HostPolicy::forFeedUrl(configuration->feedURL).allowsDownload(url);
}

} // namespace SkeppaUI::UpdateTexts
