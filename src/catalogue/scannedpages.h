// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/catalogue.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>

#include <array>

namespace Lectorin {

class AsciiCollation;

// The pages of one scan while it runs. The names go into one UTF-16 block and every page is a small record,
// so sorting and dropping duplicates move records, not page values, and each page is made once, in its final
// order, into a list of exactly its size.
class ScannedPages
{
public:
    ScannedPages();

    // The folder the following file names are in, with its trailing '/'.
    void enterFolder(const QString &folder);
    // Adds the page a file name describes; other names are ignored.
    void addFile(QByteArrayView fileName);

    // The pages in catalogue order, the first one found of each identifier.
    Catalogue takeCatalogue();

private:
    struct Record
    {
        quint64 prefixKey; // collation weights of the name's first characters, on the fast path
        quint32 nameOffset;
        quint32 discovery;
        quint32 folder;
        quint32 suffix;
        quint16 nameLength;
    };
    struct Suffix
    {
        QString text; // ".1.gz"
        qint32 section;
    };

    void addAscii(QByteArrayView fileName);
    void addDecoded(QByteArrayView fileName);
    void appendRecord(qsizetype nameOffset, qint32 suffix);
    qint32 suffixForBytes(QByteArrayView suffix);
    qint32 suffixForText(const QString &suffix);
    QStringView nameOf(const Record &record) const;
    qint32 sectionOf(const Record &record) const;
    QList<qint32> sectionCollationRanks() const;
    void sortRecords();

    const AsciiCollation *m_ascii;
    bool m_allPrintableAscii = true;
    QString m_names;
    QList<Record> m_records;
    QList<QString> m_folders;
    QList<Suffix> m_suffixes;
    QList<QString> m_sections;
    QHash<QString, qint32> m_suffixIds;
    QHash<QString, qint32> m_sectionIds;
    // A folder's files mostly share a few suffixes, so the last ones seen are tried on the raw bytes first.
    struct RecentSuffix
    {
        QByteArray bytes;
        qint32 id = -1;
    };
    std::array<RecentSuffix, 4> m_recentSuffixes;
    size_t m_nextRecent = 0;
};

} // namespace Lectorin
