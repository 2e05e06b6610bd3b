// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/manurl.h"

#include "catalogue/appmodel.h"
#include "catalogue/infonodes.h"
#include "info/infourl.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QUrlQuery>

namespace Lectorin {
namespace {

// QUrl reads a decimal host as an IPv4 address; a section never holds a dot, so a dotted quad is one.
QString sectionFromHost(const QString &host)
{
    static const QRegularExpression dottedQuad(
        QStringLiteral("^(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})$"));
    const QRegularExpressionMatch match = dottedQuad.match(host);
    if (!match.hasMatch())
        return host;
    quint64 value = 0;
    for (int part = 1; part <= 4; ++part)
        value = value * 256 + match.captured(part).toUInt();
    return QString::number(value);
}

QString trimmedSlashes(const QString &path)
{
    qsizetype begin = 0;
    qsizetype end = path.size();
    while (begin < end && path.at(begin) == u'/')
        ++begin;
    while (end > begin && path.at(end - 1) == u'/')
        --end;
    return path.mid(begin, end - begin);
}

const QString kSectionQueryItem = QStringLiteral("section");

QString percentEncoded(const QString &text, const QByteArray &kept = QByteArray())
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text, kept));
}

bool readsBackAs(const QString &text, const QString &name, const std::optional<QString> &section)
{
    const QUrl url(text, QUrl::StrictMode);
    return url.isValid() && parseManURL(url) == PageReference { name, section };
}

} // namespace

std::optional<QString> manURLString(const QString &name, const std::optional<QString> &section)
{
    if (section == kInfoSection) {
        const std::optional<InfoReference> node = InfoNodes::referenceOf(name);
        return node ? std::optional(InfoUrl::urlString(node->manual, node->node)) : std::nullopt;
    }
    const QString path = u'/' + percentEncoded(name, QByteArrayLiteral("/:+@!$&'()*,;="));
    if (!section || section->isEmpty()) {
        const QString text = kManURLScheme + u"://" + path;
        return readsBackAs(text, name, std::nullopt) ? std::optional(text) : std::nullopt;
    }
    const QString hostForm = kManURLScheme + u"://" + percentEncoded(*section) + path;
    if (readsBackAs(hostForm, name, section))
        return hostForm;
    // QUrl rewrites some sections as hosts ("010" and "0x1" become addresses, "3X11" loses its case, "3c++"
    // is no host at all); those travel in the query, where they arrive as written.
    const QString queryForm
        = kManURLScheme + u"://" + path + u'?' + kSectionQueryItem + u'=' + percentEncoded(*section);
    if (readsBackAs(queryForm, name, section))
        return queryForm;
    return std::nullopt;
}

std::optional<QUrl> manURL(const QString &name, const std::optional<QString> &section)
{
    const std::optional<QString> text = manURLString(name, section);
    if (!text)
        return std::nullopt;
    return QUrl(*text, QUrl::StrictMode);
}

bool isManPageLink(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == kManURLScheme || scheme == kManPageLinkScheme;
}

std::optional<PageReference> parseManURL(const QUrl &url)
{
    if (url.scheme().compare(kInfoURLScheme, Qt::CaseInsensitive) == 0 || url.scheme() == u"info") {
        const std::optional<InfoReference> node = InfoUrl::parse(url);
        return node ? std::optional(PageReference { InfoNodes::pageName(*node), kInfoSection.toString() })
                    : std::nullopt;
    }
    const QString querySection = QUrlQuery(url).queryItemValue(kSectionQueryItem, QUrl::FullyDecoded);
    const QString host
        = querySection.isEmpty() ? sectionFromHost(url.host(QUrl::FullyDecoded)) : querySection;
    const QString path = trimmedSlashes(url.path(QUrl::FullyDecoded));
    if (!path.isEmpty())
        return PageReference { path, host.isEmpty() ? std::nullopt : std::optional(host) };
    if (!host.isEmpty())
        return PageReference { host, std::nullopt };
    return std::nullopt;
}

std::optional<PageReference> parseManURLText(const QString &text)
{
    if (const std::optional<InfoReference> node = InfoUrl::parse(text))
        return PageReference { InfoNodes::pageName(*node), kInfoSection.toString() };
    const QUrl url(text);
    std::optional<PageReference> parsed = parseManURL(url);
    const qsizetype authorityStart = text.indexOf(u"://");
    if (!parsed || authorityStart < 0 || QUrlQuery(url).hasQueryItem(kSectionQueryItem))
        return parsed;
    qsizetype authorityEnd = authorityStart + 3;
    while (authorityEnd < text.size() && !QStringView(u"/?#").contains(text.at(authorityEnd)))
        ++authorityEnd;
    const QString written = QUrl::fromPercentEncoding(
        text.sliced(authorityStart + 3, authorityEnd - authorityStart - 3).toUtf8());
    if (written.isEmpty())
        return parsed;
    if (trimmedSlashes(url.path(QUrl::FullyDecoded)).isEmpty())
        parsed->name = written;
    else
        parsed->section = written;
    return parsed;
}

QUrl pageFileURL(const QString &path)
{
    QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    url.setScheme(kPageFileScheme);
    return url;
}

std::optional<QString> pageFilePath(const QUrl &url)
{
    if (url.scheme() != kPageFileScheme || !url.path().startsWith(u'/'))
        return std::nullopt;
    return url.path();
}

QUrl manErrorURL()
{
    return QUrl(kManURLScheme + u"://error");
}

std::optional<ManPage> resolveManReference(const AppModel &app, const PageReference &reference)
{
    if (reference.section && !app.page(*reference.section + u'/' + reference.name)) {
        for (const ManPage &candidate : app.pagesNamed(reference.name)) {
            if (candidate.section.compare(*reference.section, Qt::CaseInsensitive) == 0)
                return candidate;
        }
    }
    return app.resolvePage(reference.name, reference.section);
}

} // namespace Lectorin
