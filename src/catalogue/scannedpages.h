// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/catalogue.h"
#include "catalogue/catalogueorder.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace Lectorin {

class AsciiCollation;

// The pages of one scan while it runs. The names go into one UTF-16 block and every page is a small record,
// so sorting and dropping duplicates move records, not page values, and each page is made once. Two threads
// can list folders into two of these, and sort and make the pages of each half of the whole.
class ScannedPages
{
public:
    // `folders` are all the folders of the scan in the order they are listed, each with its trailing '/';
    // `languages` gives the translation each holds, by position (none given: all untranslated).
    explicit ScannedPages(QList<QString> folders, QList<QString> languages = {});

    // The folder, by position in `folders`, the following file names are in. Folders must be entered in
    // increasing order.
    void enterFolder(qsizetype folder);
    // Adds the page a file name describes; other names are ignored.
    void addFile(QByteArrayView fileName);
    // Takes over the pages another part of the same scan found in other folders.
    void absorb(ScannedPages &&other);

    // The pages in catalogue order, the first one found of each identifier.
    Catalogue takeCatalogue();

private:
    using Record = CatalogueOrder::Record;
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
    void prepareToSort();
    // Sorted records from `begin` to `end`.
    struct Stretch
    {
        const Record *begin;
        const Record *end;
        qsizetype size() const { return end - begin; }
    };
    Record *sortStretch(Record *begin, Record *end);
    qsizetype frontShareOf(Stretch front, Stretch back, qsizetype count) const;
    const Record *lastMerged(Stretch front, Stretch back) const;
    QList<ManPage> mergedPages(Stretch front, Stretch back, const Record *previous, qsizetype capacity) const;
    qsizetype locationOf(const Record &record) const;
    PageLocation folderLocation(quint32 folder, const QString &suffix) const;
    void makeLocations();
    ManPage pageOf(const Record &record) const;

    const AsciiCollation *m_ascii;
    bool m_allPrintableAscii = true;
    QString m_names;
    QList<Record> m_records;
    QList<QString> m_folders;
    QList<QString> m_languages;
    quint32 m_folder = 0;
    std::optional<CatalogueOrder> m_order; // made before sorting
    QList<PageLocation> m_locations; // by folder and suffix: locationOf()
    QList<Suffix> m_suffixes;
    QList<QString> m_sections;
    QHash<QString, qint32> m_suffixIds;
    QHash<QString, qint32> m_sectionIds;
    // By name offset: the whole file names, as FileNames::decode gives them, of the rare files whose names
    // are not UTF-8.
    QHash<quint32, QString> m_undecodableFileNames;
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
