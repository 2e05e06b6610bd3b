// SPDX-License-Identifier: GPL-3.0-or-later
#include "info/infodir.h"

#include "info/infotext.h"

namespace Lectorin::InfoDir {
namespace {

void addEntry(QList<InfoDirCategory> &categories, const QString &category, QStringView text)
{
    const std::optional<InfoMenuEntry> entry = InfoText::parseMenuEntry(text);
    if (!entry || entry->target.manual.isEmpty())
        return;
    const InfoDirEntry dirEntry { entry->label, entry->target.manual,
        entry->target.node.compare(u"Top", Qt::CaseInsensitive) == 0 ? QString() : entry->target.node,
        entry->description };
    auto found = std::find_if(categories.begin(), categories.end(),
        [&category](const InfoDirCategory &existing) { return existing.name == category; });
    if (found == categories.end()) {
        categories.append({ category, { dirEntry } });
    } else if (!found->entries.contains(dirEntry)) {
        found->entries.append(dirEntry);
    }
}

// The entry starting at lines[i] ("* …") with the indented lines that continue its description; `i` ends on
// the line after it.
QString entryAt(const QList<QStringView> &lines, qsizetype &i)
{
    QString entry = lines[i].sliced(2).toString();
    for (++i; i < lines.size(); ++i) {
        const QStringView line = lines[i];
        if (line.trimmed().isEmpty() || !line.front().isSpace())
            break;
        entry += u'\n' + line.toString();
    }
    return entry;
}

} // namespace

QList<InfoDirCategory> parse(QStringView text)
{
    QList<InfoDirCategory> categories;
    const QList<QStringView> lines = text.split(u'\n');
    bool inMenu = false;
    QString category = kMiscellaneous;
    qsizetype i = 0;
    while (i < lines.size()) {
        const QStringView line = lines[i];
        if (line.contains(QChar(0x1f))) {
            inMenu = false;
        } else if (!inMenu) {
            inMenu = line.startsWith(u"* Menu:", Qt::CaseInsensitive);
        } else if (line.startsWith(u"* ")) {
            addEntry(categories, category, entryAt(lines, i));
            continue;
        } else if (!line.trimmed().isEmpty() && !line.front().isSpace()) {
            category = line.trimmed().toString();
        }
        ++i;
    }
    return categories;
}

QList<InfoDirCategory> parsePreamble(QStringView text)
{
    const qsizetype firstNode = text.indexOf(QChar(0x1f));
    const QList<QStringView> lines = (firstNode < 0 ? text : text.first(firstNode)).split(u'\n');
    QList<InfoDirCategory> categories;
    QString category = kMiscellaneous;
    bool inEntries = false;
    qsizetype i = 0;
    while (i < lines.size()) {
        const QStringView line = lines[i].trimmed();
        if (line.startsWith(u"INFO-DIR-SECTION ")) {
            category = line.sliced(17).trimmed().toString();
        } else if (line == u"START-INFO-DIR-ENTRY") {
            inEntries = true;
        } else if (line == u"END-INFO-DIR-ENTRY") {
            inEntries = false;
        } else if (inEntries && lines[i].startsWith(u"* ")) {
            addEntry(categories, category, entryAt(lines, i));
            continue;
        }
        ++i;
    }
    return categories;
}

void merge(QList<InfoDirCategory> &categories, const QList<InfoDirCategory> &more)
{
    for (const InfoDirCategory &category : more) {
        auto found = std::find_if(
            categories.begin(), categories.end(), [&category](const InfoDirCategory &existing) {
                return existing.name.compare(category.name, Qt::CaseInsensitive) == 0;
            });
        if (found == categories.end()) {
            categories.append(category);
            continue;
        }
        for (const InfoDirEntry &entry : category.entries) {
            if (!found->entries.contains(entry))
                found->entries.append(entry);
        }
    }
}

} // namespace Lectorin::InfoDir
