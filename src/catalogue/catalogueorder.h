// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QCollatorSortKey>
#include <QList>
#include <QString>
#include <QStringView>

#include <cstring>

namespace Lectorin {

class AsciiCollation;

// Catalogue order: by name case-insensitively, then by section with numbers by value, then by code points,
// then in the order found. It compares small records that name a page by its place in one block of names, so
// sorting moves records, not page values.
class CatalogueOrder
{
public:
    struct Record
    {
        quint32 nameOffset;
        quint32 discovery; // the record's position before sorting
        quint32 folder;
        quint32 suffix;
        quint16 nameLength;
    };

    // `names` holds each record's name at its offset, followed by a null character; `sectionOfSuffix` gives
    // the position in `sections` of each record's suffix. With `ascii` every name must be printable ASCII.
    // The blocks must outlive the order.
    CatalogueOrder(const QString &names, const QList<QString> &sections, QList<qint32> sectionOfSuffix,
        const AsciiCollation *ascii, const QList<Record> &records);

    // On the ASCII path, the collation weights of these records' names; each thread writes its own records.
    void prepare(const Record *begin, const Record *end);

    QStringView nameOf(const Record &record) const
    {
        return QStringView(m_names + record.nameOffset, record.nameLength);
    }
    qint32 sectionOf(const Record &record) const { return m_sectionOfSuffix.at(record.suffix); }
    bool isSameIdentifier(const Record &a, const Record &b) const
    {
        return sectionOf(a) == sectionOf(b) && nameOf(a) == nameOf(b);
    }

    bool precedes(const Record &a, const Record &b) const
    {
        if (m_nameKeys.isEmpty()) {
            // Weights are 1…95, so the byte order of the weight strings is the collation order of the names.
            const char *weights = m_weights.constData();
            if (const int byName = std::strcmp(weights + a.nameOffset, weights + b.nameOffset); byName != 0)
                return byName < 0;
        } else if (const int byName = m_nameKeys.at(a.discovery).compare(m_nameKeys.at(b.discovery));
                   byName != 0) {
            return byName < 0;
        }
        return tieBreak(a, b);
    }

private:
    bool tieBreak(const Record &a, const Record &b) const
    {
        const qint32 sectionA = sectionOf(a);
        const qint32 sectionB = sectionOf(b);
        if (m_sectionRanks.at(sectionA) != m_sectionRanks.at(sectionB))
            return m_sectionRanks.at(sectionA) < m_sectionRanks.at(sectionB);
        if (const int byName = nameOf(a).compare(nameOf(b)); byName != 0)
            return byName < 0;
        if (sectionA != sectionB) {
            if (const int bySection = QStringView(m_sections.at(sectionA)).compare(m_sections.at(sectionB));
                bySection != 0)
                return bySection < 0;
        }
        // Copies of one identifier: a folder's files all come from one part of a scan, numbered in order.
        if (a.folder != b.folder)
            return a.folder < b.folder;
        return a.discovery < b.discovery;
    }

    const QChar *m_names;
    const QList<QString> &m_sections;
    QList<qint32> m_sectionOfSuffix;
    const AsciiCollation *m_ascii;
    // A rank per section, equal for sections the collator calls equal; on the ASCII path the names' weights
    // in a block laid out like the names, otherwise a collation key per record.
    QList<qint32> m_sectionRanks;
    QByteArray m_weights;
    QList<QCollatorSortKey> m_nameKeys;
};

} // namespace Lectorin
