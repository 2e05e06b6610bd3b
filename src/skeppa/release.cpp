// SPDX-License-Identifier: GPL-3.0-or-later
#include "skeppa/release.h"

#include <QCoreApplication>
#include <QHashFunctions>
#include <QRegularExpression>

namespace Skeppa {

std::optional<QDate> Release::publishedDate() const
{
    static const QRegularExpression calendarDate(
        QRegularExpression::anchoredPattern(QStringLiteral("([0-9]{4})-([0-9]{2})-([0-9]{2})")));
    const QRegularExpressionMatch match = calendarDate.match(date);
    if (!match.hasMatch())
        return std::nullopt;
    const QDate day(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    if (!day.isValid())
        return std::nullopt;
    return day;
}

bool Release::isSupported(const SystemVersion &system) const
{
    const std::optional<SystemVersion> minimum = SystemVersion::parse(minimumSystemVersion);
    return minimum && system >= *minimum;
}

QString Release::unsupportedSystemMessage(const SystemVersion &running) const
{
    const std::optional<SystemVersion> minimum = SystemVersion::parse(minimumSystemVersion);
    return QCoreApplication::translate("Skeppa", "Version %1 needs Linux %2. This computer runs Linux %3.")
        .arg(version, minimum ? minimum->description() : minimumSystemVersion, running.description());
}

QJsonObject Release::toJson() const
{
    QJsonObject object {
        { QStringLiteral("version"), version },
        { QStringLiteral("build"), build },
        { QStringLiteral("minimumSystemVersion"), minimumSystemVersion },
        { QStringLiteral("date"), date },
        { QStringLiteral("url"), url.toString(QUrl::FullyEncoded) },
    };
    if (notes)
        object.insert(QStringLiteral("notes"), notes->toString(QUrl::FullyEncoded));
    if (sha256)
        object.insert(QStringLiteral("sha256"), *sha256);
    return object;
}

size_t qHash(const Release &release, size_t seed) noexcept
{
    return qHashMulti(seed, release.version, release.build, release.minimumSystemVersion, release.date,
        release.url, release.notes.value_or(QUrl()), release.notes.has_value(),
        release.sha256.value_or(QString()), release.sha256.has_value());
}

} // namespace Skeppa
