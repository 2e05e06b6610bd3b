// SPDX-License-Identifier: GPL-3.0-or-later
#include "skeppa/systemversion.h"

#include <QHashFunctions>
#include <QStringList>

#include <sys/utsname.h>

namespace Skeppa {

namespace {

std::optional<qint64> parseComponent(QStringView piece)
{
    if (piece.isEmpty())
        return std::nullopt;
    for (const QChar c : piece) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    bool ok = false;
    const qint64 value = piece.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

// "6.1.0-18-amd64" -> "6.1.0": the dotted run of digits a kernel release starts with.
QString leadingDottedNumbers(const QString &release)
{
    qsizetype end = 0;
    int dots = 0;
    while (end < release.size()) {
        const QChar c = release.at(end);
        if (c.isDigit() && c.unicode() < 128) {
            ++end;
        } else if (c == u'.' && dots < 2 && end > 0 && release.at(end - 1) != u'.') {
            ++dots;
            ++end;
        } else {
            break;
        }
    }
    QString prefix = release.left(end);
    if (prefix.endsWith(u'.'))
        prefix.chop(1);
    return prefix;
}

} // namespace

std::optional<SystemVersion> SystemVersion::parse(const QString &text)
{
    const QStringList pieces = text.trimmed().split(u'.', Qt::KeepEmptyParts);
    if (pieces.size() < 1 || pieces.size() > 3)
        return std::nullopt;
    qint64 components[3] = { 0, 0, 0 };
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const std::optional<qint64> value = parseComponent(pieces.at(i));
        if (!value)
            return std::nullopt;
        components[i] = *value;
    }
    return SystemVersion { components[0], components[1], components[2] };
}

SystemVersion SystemVersion::current()
{
    utsname name {};
    if (uname(&name) != 0)
        return {};
    return parse(leadingDottedNumbers(QString::fromLocal8Bit(name.release))).value_or(SystemVersion {});
}

QString SystemVersion::description() const
{
    if (patch != 0)
        return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(patch);
    if (minor != 0)
        return QStringLiteral("%1.%2").arg(major).arg(minor);
    return QString::number(major);
}

size_t qHash(const SystemVersion &version, size_t seed) noexcept
{
    return qHashMulti(seed, version.major, version.minor, version.patch);
}

} // namespace Skeppa
