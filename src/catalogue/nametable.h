// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHashFunctions>
#include <QList>
#include <QStringView>

#include <bit>

namespace Lectorin {

// Page positions by exact name, in one flat open-addressing array: a scan's hundred thousand names cost one
// allocation and no nodes. The table keeps positions only; `nameAt(position)` gives their names back.
class NameTable
{
public:
    NameTable() = default;
    // Room for `count` names, never more: the table does not grow.
    explicit NameTable(qsizetype count)
        : m_slots(qsizetype(std::bit_ceil(quint64(count) * 2 + 2)))
    { }

    qsizetype size() const { return m_size; }

    template<typename NameAt>
    qint32 find(QStringView name, NameAt nameAt) const
    {
        if (m_slots.isEmpty())
            return -1;
        return m_slots.at(slotOf(name, quint32(qHash(name)), nameAt)).position;
    }

    static quint32 hashOf(QStringView name) { return quint32(qHash(name)); }
    // Starts loading the slot a name of this hash is looked for first, ahead of a lookup.
    void prefetch(quint32 hash) const
    {
        if (!m_slots.isEmpty())
            __builtin_prefetch(m_slots.constData() + (hash & mask()));
    }

    // The position stored for `name`, inserting `position` when the name is new.
    template<typename NameAt>
    qint32 findOrInsert(QStringView name, qint32 position, NameAt nameAt)
    {
        return findOrInsert(name, hashOf(name), position, nameAt);
    }
    template<typename NameAt>
    qint32 findOrInsert(QStringView name, quint32 hash, qint32 position, NameAt nameAt)
    {
        Slot &entry = m_slots[slotOf(name, hash, nameAt)];
        if (entry.position < 0) {
            entry = { hash, position };
            ++m_size;
        }
        return entry.position;
    }

    // Points an existing name at another position.
    template<typename NameAt>
    void replace(QStringView name, qint32 position, NameAt nameAt)
    {
        Slot &entry = m_slots[slotOf(name, quint32(qHash(name)), nameAt)];
        if (entry.position >= 0)
            entry.position = position;
    }

private:
    struct Slot
    {
        quint32 hash = 0;
        qint32 position = -1;
    };
    qsizetype mask() const { return m_slots.size() - 1; }

    // The slot holding `name`, or the empty slot where it would go.
    template<typename NameAt>
    qsizetype slotOf(QStringView name, quint32 hash, NameAt nameAt) const
    {
        for (qsizetype slot = hash & mask();; slot = (slot + 1) & mask()) {
            const Slot &entry = m_slots.at(slot);
            if (entry.position < 0 || (entry.hash == hash && nameAt(entry.position) == name))
                return slot;
        }
    }

    QList<Slot> m_slots;
    qsizetype m_size = 0;
};

} // namespace Lectorin
