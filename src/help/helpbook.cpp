// SPDX-License-Identifier: GPL-3.0-or-later
#include "help/helpbook.h"

#include <QDir>
#include <QFileInfo>
#include <QHashFunctions>

namespace Lectorin::HelpBook {

size_t qHash(const Page &page, size_t seed) noexcept
{
    return qHashMulti(seed, page.slug, page.title);
}

const QList<Chapter> &tableOfContents()
{
    static const QList<Chapter> kChapters = {
        { QStringLiteral("Manual"), { { QStringLiteral("index"), QStringLiteral("Overview") } } },
        { QStringLiteral("Basics"),
            { { QStringLiteral("reading"), QStringLiteral("Reading man pages") },
                { QStringLiteral("navigation"), QStringLiteral("Links & history") } } },
        { QStringLiteral("Organizing"), { { QStringLiteral("windows"), QStringLiteral("Windows & tabs") } } },
        { QStringLiteral("Customizing"),
            { { QStringLiteral("themes"), QStringLiteral("Themes") },
                { QStringLiteral("settings"), QStringLiteral("Settings reference") } } },
        { QStringLiteral("Output"), { { QStringLiteral("printing"), QStringLiteral("Print & export") } } },
        { QStringLiteral("System"), { { QStringLiteral("system"), QStringLiteral("Your System") } } },
        { QStringLiteral("Reference"),
            { { QStringLiteral("shortcuts"), QStringLiteral("Keyboard shortcuts") } } },
    };
    return kChapters;
}

QList<Page> pages()
{
    QList<Page> all;
    for (const Chapter &chapter : tableOfContents())
        all.append(chapter.pages);
    return all;
}

QString title(const QString &slug)
{
    for (const Chapter &chapter : tableOfContents()) {
        for (const Page &page : chapter.pages) {
            if (page.slug == slug)
                return page.title;
        }
    }
    return {};
}

QUrl url(const QString &slug, const QString &helpFolder)
{
    const bool plainName = !slug.isEmpty() && slug != u"." && slug != u".." && !slug.contains(u'/')
        && !slug.contains(QChar(0));
    if (helpFolder.isEmpty() || !plainName)
        return {};
    return QUrl::fromLocalFile(QDir(helpFolder).filePath(slug + kPageExtension));
}

QString slug(const QUrl &url)
{
    if (url.isEmpty())
        return {};
    return QFileInfo(url.path()).completeBaseName();
}

bool staysInHelp(const QUrl &url)
{
    return url.isEmpty() || url.scheme().compare(u"file", Qt::CaseInsensitive) == 0;
}

} // namespace Lectorin::HelpBook
