// SPDX-License-Identifier: GPL-3.0-or-later
#include "themes/plistlimits.h"

#include <QList>

#include <cctype>
#include <optional>
#include <utility>

namespace Lectorin::PlistLimits {

namespace {

constexpr qsizetype kTrailerSize = 32;

// Counts <array> and <dict> elements that are open at once; a tag name inside a comment counts too, which can
// only make the check stricter.
bool xmlWithinLimits(const QByteArray &data)
{
    int depth = 0;
    for (qsizetype i = data.indexOf('<'); i >= 0; i = data.indexOf('<', i + 1)) {
        const bool closing = i + 1 < data.size() && data.at(i + 1) == '/';
        const qsizetype nameStart = i + (closing ? 2 : 1);
        qsizetype nameEnd = nameStart;
        while (nameEnd < data.size() && std::isalpha(static_cast<unsigned char>(data.at(nameEnd))))
            ++nameEnd;
        const QByteArrayView name(data.constData() + nameStart, nameEnd - nameStart);
        if (name != "array" && name != "dict")
            continue;
        if (closing) {
            --depth;
            continue;
        }
        const qsizetype tagEnd = data.indexOf('>', nameEnd);
        if (tagEnd > 0 && data.at(tagEnd - 1) == '/')
            continue;
        if (++depth > kMaximumDepth)
            return false;
    }
    return true;
}

class BinaryWalker
{
public:
    explicit BinaryWalker(const QByteArray &data)
        : m_data(data)
    { }

    bool withinLimits()
    {
        const qsizetype trailer = m_data.size() - kTrailerSize;
        if (trailer < 8)
            return false;
        m_offsetSize = uchar(m_data.at(trailer + 6));
        m_referenceSize = uchar(m_data.at(trailer + 7));
        const auto objectCount = number(trailer + 8, 8);
        const auto topObject = number(trailer + 16, 8);
        const auto offsetTable = number(trailer + 24, 8);
        if (m_offsetSize < 1 || m_offsetSize > 8 || m_referenceSize < 1 || m_referenceSize > 8 || !objectCount
            || !topObject || !offsetTable || *topObject >= *objectCount || *offsetTable > quint64(trailer)
            || *objectCount > (quint64(trailer) - *offsetTable) / m_offsetSize)
            return false;
        m_objectCount = *objectCount;
        m_offsetTable = qsizetype(*offsetTable);
        m_end = trailer;

        // Every reference counts as one node: libplist builds a tree, copying shared objects.
        QList<std::pair<quint64, int>> pending { { *topObject, 1 } };
        qsizetype nodes = 1;
        while (!pending.isEmpty()) {
            const auto [object, depth] = pending.takeLast();
            const std::optional<QList<quint64>> children = childrenOf(object);
            if (!children)
                return false;
            if (children->isEmpty())
                continue;
            nodes += children->size();
            if (depth + 1 > kMaximumDepth || nodes > kMaximumNodes)
                return false;
            for (quint64 child : *children)
                pending.append({ child, depth + 1 });
        }
        return true;
    }

private:
    std::optional<quint64> number(qsizetype position, int size) const
    {
        if (position < 0 || size < 1 || size > 8 || position > m_data.size() - size)
            return std::nullopt;
        quint64 value = 0;
        for (int i = 0; i < size; ++i)
            value = (value << 8) | uchar(m_data.at(position + i));
        return value;
    }

    // The objects a container refers to; empty for scalars, nothing for a structure out of bounds.
    std::optional<QList<quint64>> childrenOf(quint64 object) const
    {
        if (object >= m_objectCount)
            return std::nullopt;
        const auto offset = number(m_offsetTable + qsizetype(object) * m_offsetSize, m_offsetSize);
        if (!offset || *offset >= quint64(m_end))
            return std::nullopt;
        qsizetype position = qsizetype(*offset);
        const uchar marker = uchar(m_data.at(position++));
        const int type = marker >> 4;
        // Arrays, sets and dictionaries hold references; a dictionary holds its keys' and values'.
        if (type != 0xA && type != 0xC && type != 0xD)
            return QList<quint64> {};
        quint64 count = marker & 0x0F;
        if (count == 0x0F) {
            if (position >= m_end || (uchar(m_data.at(position)) >> 4) != 0x1)
                return std::nullopt;
            const int size = 1 << (uchar(m_data.at(position)) & 0x0F);
            const auto extended = number(position + 1, size);
            if (!extended)
                return std::nullopt;
            count = *extended;
            position += 1 + size;
        }
        if (count > quint64(kMaximumNodes))
            return std::nullopt;
        if (type == 0xD)
            count *= 2;
        if (count > quint64(m_end - position) / m_referenceSize)
            return std::nullopt;
        QList<quint64> children;
        children.reserve(qsizetype(count));
        for (quint64 i = 0; i < count; ++i)
            children.append(*number(position + qsizetype(i) * m_referenceSize, m_referenceSize));
        return children;
    }

    const QByteArray &m_data;
    int m_offsetSize = 0;
    int m_referenceSize = 0;
    quint64 m_objectCount = 0;
    qsizetype m_offsetTable = 0;
    qsizetype m_end = 0;
};

} // namespace

bool isWithinLimits(const QByteArray &data)
{
    if (data.startsWith("bplist00"))
        return BinaryWalker(data).withinLimits();
    return xmlWithinLimits(data);
}

} // namespace Lectorin::PlistLimits
