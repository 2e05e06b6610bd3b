// SPDX-License-Identifier: GPL-3.0-or-later
#include "info/infodocument.h"

#include "info/infofile.h"
#include "info/infosection.h"

#include <QByteArrayView>
#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <climits>

namespace Lectorin {
namespace {

// Real manuals have a handful of subfiles and a few thousand nodes; a file with more is damaged or hostile,
// and keeping all of them would take many times its size in memory.
constexpr qsizetype kMostSubfiles = 1000;
constexpr qsizetype kMostNodes = 100000;
constexpr QByteArrayView kIndexMarker("\0\b[index\0\b]", 11);

// "coreutils.info-2: 302010" lines.
QList<std::pair<QString, qsizetype>> indirectEntries(QByteArrayView table)
{
    QList<std::pair<QString, qsizetype>> entries;
    InfoSections::forEachLine(table, [&entries](QByteArrayView line) {
        const qsizetype colon = line.lastIndexOf(':');
        bool isNumber = false;
        const qsizetype offset = colon < 0 ? -1 : line.sliced(colon + 1).trimmed().toLongLong(&isNumber);
        if (isNumber && offset >= 0)
            entries.append({ QString::fromUtf8(line.first(colon).trimmed()), offset });
        // One entry more than the subfiles read is enough to say there are too many.
        return entries.size() <= kMostSubfiles;
    });
    return entries;
}

// A subfile is named by the main file and read beside it: a path, or a name that climbs out, is refused.
bool isSubfileName(const QString &name)
{
    if (name.isEmpty() || name.size() > 255 || name == u"." || name == u"..")
        return false;
    return std::none_of(name.cbegin(), name.cend(), [](QChar character) {
        return character == u'/' || character == u'\\' || character.unicode() < 0x20;
    });
}

QString withoutDuplicateMark(const QString &entry)
{
    // makeinfo tells repeated index terms apart as "ls <1>", "ls <2>".
    const qsizetype open = entry.lastIndexOf(u" <");
    if (open < 0 || !entry.endsWith(u'>'))
        return entry;
    bool isNumber = false;
    entry.sliced(open + 2, entry.size() - open - 3).toInt(&isNumber);
    return isNumber ? entry.first(open) : entry;
}

} // namespace

std::optional<InfoDocument> InfoDocument::load(const QString &mainFile, QString *error)
{
    QString readError;
    const std::optional<QByteArray> bytes = InfoFile::read(mainFile, &readError);
    if (!bytes) {
        if (error)
            *error = readError;
        return std::nullopt;
    }
    // The subfiles lie beside the main file, or beside what it links to.
    QStringList folders { QFileInfo(mainFile).absolutePath() };
    const QString target = QFileInfo(mainFile).canonicalFilePath();
    if (!target.isEmpty() && !folders.contains(QFileInfo(target).absolutePath()))
        folders.append(QFileInfo(target).absolutePath());
    const SubfileReader readSubfile
        = [folders](const QString &name, QString *subfileError) -> std::optional<QByteArray> {
        for (const QString &folder : folders) {
            for (const QString &candidate : QStringList { name, name + QStringLiteral(".gz") }) {
                const QString path = QDir(folder).filePath(candidate);
                if (QFileInfo::exists(path))
                    return InfoFile::read(path, subfileError);
            }
        }
        *subfileError = name + QStringLiteral(": no such file");
        return std::nullopt;
    };
    QString documentError;
    std::optional<InfoDocument> document = fromBytes(*bytes, readSubfile, &documentError);
    if (!document && error)
        *error = mainFile + QStringLiteral(": ") + documentError;
    return document;
}

std::optional<InfoDocument> InfoDocument::fromBytes(
    const QByteArray &bytes, const SubfileReader &readSubfile, QString *error)
{
    const auto fail = [error](const QString &message) -> std::optional<InfoDocument> {
        if (error)
            *error = message;
        return std::nullopt;
    };
    const InfoFileData main = InfoFile::unpack(bytes);
    if (main.bytes.isEmpty())
        return fail(main.problem.isEmpty() ? QStringLiteral("the file is empty") : main.problem);
    InfoDocument document;
    if (!main.problem.isEmpty())
        document.m_problems.append(main.problem);
    document.m_coding = InfoFile::declaredCoding(main.bytes);
    document.m_subfiles.append({ QString(), main.bytes });

    QList<std::pair<QString, qsizetype>> indirect;
    QByteArray tagTable;
    InfoSections::forEach(main.bytes, [&](const InfoSection &section) {
        const QByteArrayView header = section.headerIn(main.bytes);
        if (header.startsWith("Indirect:"))
            indirect = indirectEntries(section.bodyIn(main.bytes));
        else if (header.startsWith("Tag Table:"))
            tagTable = section.bodyIn(main.bytes).toByteArray();
        return true;
    });
    document.scanSubfile(0);

    qsizetype budget = InfoFile::kMaxBytes - main.bytes.size();
    QList<std::pair<qsizetype, int>> subfileStarts;
    for (const auto &[name, offset] : std::as_const(indirect)) {
        if (document.m_subfiles.size() > kMostSubfiles) {
            document.m_problems.append(QStringLiteral("the indirect table names too many subfiles"));
            break;
        }
        if (!isSubfileName(name)) {
            document.m_problems.append(QStringLiteral("the indirect table names a path: ") + name);
            continue;
        }
        QString subfileError;
        const std::optional<QByteArray> raw = readSubfile ? readSubfile(name, &subfileError) : std::nullopt;
        if (!raw) {
            document.m_problems.append(
                subfileError.isEmpty() ? name + QStringLiteral(": cannot be read") : subfileError);
            continue;
        }
        const InfoFileData subfile = InfoFile::unpack(*raw, std::max<qsizetype>(budget, 0));
        if (!subfile.problem.isEmpty())
            document.m_problems.append(name + QStringLiteral(": ") + subfile.problem);
        if (subfile.bytes.isEmpty())
            continue;
        budget -= subfile.bytes.size();
        document.m_subfiles.append({ name, subfile.bytes });
        subfileStarts.append({ offset, int(document.m_subfiles.size() - 1) });
        document.scanSubfile(int(document.m_subfiles.size() - 1));
    }
    if (document.m_records.isEmpty()) {
        return fail(document.m_problems.isEmpty() ? QStringLiteral("no node found: not an Info file")
                                                  : document.m_problems.join(QStringLiteral("; ")));
    }
    document.placeAnchors(tagTable, subfileStarts);
    return document;
}

void InfoDocument::scanSubfile(int subfile)
{
    const QByteArray &bytes = m_subfiles[subfile].bytes;
    InfoSections::forEach(bytes, [&](const InfoSection &section) {
        if (m_records.size() >= kMostNodes) {
            const QString problem
                = QStringLiteral("more than %1 nodes: the rest is not read").arg(kMostNodes);
            if (!m_problems.contains(problem))
                m_problems.append(problem);
            return false;
        }
        const QByteArrayView header = section.headerIn(bytes);
        if (!header.contains("Node:"))
            return true;
        const std::optional<InfoNodeHeader> fields
            = InfoText::parseHeader(InfoFile::decode(header, m_coding));
        if (!fields)
            return true;
        const int index = int(m_records.size());
        m_records.append({ subfile, section.separator, section.header,
            std::min(section.headerEnd + 1, section.end), section.end, *fields });
        // A damaged manual may repeat a name: the first node keeps it.
        m_exactNames.insert(fields->node, m_exactNames.value(fields->node, index));
        const QString folded = InfoText::foldName(fields->node);
        m_foldedNames.insert(folded, m_foldedNames.value(folded, index));
        return true;
    });
}

void InfoDocument::placeAnchors(
    const QByteArray &tagTable, const QList<std::pair<qsizetype, int>> &subfileStarts)
{
    // The record a position of a subfile falls in, or -1.
    const auto recordAt = [this](int subfile, qsizetype position) {
        const auto after = std::upper_bound(m_records.cbegin(), m_records.cend(),
            std::pair(subfile, position), [](const std::pair<int, qsizetype> &place, const Record &record) {
                return place < std::pair(record.subfile, record.separator);
            });
        if (position < 0 || position >= m_subfiles[subfile].bytes.size() || after == m_records.cbegin()
            || std::prev(after)->subfile != subfile)
            return -1;
        return int(std::prev(after) - m_records.cbegin());
    };
    // The tag table's offsets run over the subfiles as if they were one file, each subfile's nodes starting
    // where the indirect table says. makeinfo's offsets are often some bytes off, more and more so further
    // into a manual: an anchor is moved by as much as the entry of the node before it is off, unless that
    // entry is so wrong that the move takes the anchor out of the node.
    QList<std::pair<qsizetype, int>> starts = subfileStarts;
    std::sort(starts.begin(), starts.end());
    QList<qsizetype> firstNodes;
    for (const Subfile &subfile : std::as_const(m_subfiles))
        firstNodes.append(std::max<qsizetype>(subfile.bytes.indexOf('\x1f'), 0));
    qsizetype correction = 0;
    int nodeRecord = -1;
    InfoSections::forEachLine(tagTable, [&](QByteArrayView line) {
        const bool isNode = line.startsWith("Node:");
        if (!isNode && !line.startsWith("Ref:"))
            return true;
        const qsizetype delimiter = line.lastIndexOf('\x7f');
        bool isNumber = false;
        const qsizetype offset = delimiter < 0 ? -1 : line.sliced(delimiter + 1).toLongLong(&isNumber);
        // Offsets past anything that can have been read are dropped before they overflow the arithmetic
        // below.
        if (!isNumber || offset < 0 || offset > 2 * InfoFile::kMaxBytes)
            return true;
        const qsizetype keyLength = isNode ? 5 : 4;
        const QString name = InfoText::cleanName(InfoFile::decode(
            line.sliced(keyLength, std::max<qsizetype>(delimiter - keyLength, 0)), m_coding));
        int subfile = 0;
        qsizetype position = offset;
        if (!starts.isEmpty()) {
            const auto after = std::upper_bound(starts.cbegin(), starts.cend(), std::pair(offset, INT_MAX));
            if (after == starts.cbegin())
                return true;
            subfile = std::prev(after)->second;
            position = offset - std::prev(after)->first + firstNodes[subfile];
        }
        if (isNode) {
            nodeRecord = m_exactNames.value(name, -1);
            if (nodeRecord >= 0 && m_records[nodeRecord].subfile != subfile)
                nodeRecord = -1;
            correction = nodeRecord < 0 ? 0 : m_records[nodeRecord].separator - position;
            return true;
        }
        qsizetype placed = position + correction;
        int record = recordAt(subfile, placed);
        if (record != nodeRecord && recordAt(subfile, position) == nodeRecord && nodeRecord >= 0) {
            placed = position;
            record = nodeRecord;
        }
        if (record < 0)
            return true;
        if (m_exactAnchors.size() >= kMostNodes)
            return false;
        m_exactAnchors.insert(name, m_exactAnchors.value(name, { record, placed }));
        const QString folded = InfoText::foldName(name);
        m_foldedAnchors.insert(folded, m_foldedAnchors.value(folded, { record, placed }));
        return true;
    });
}

std::optional<InfoDocument::Anchor> InfoDocument::find(const QString &name) const
{
    QString wanted = InfoText::cleanName(name);
    // A damaged header may name a node "(x)y"; such a name is found as written before as a reference.
    if (const int record = m_exactNames.value(wanted, -1); record >= 0)
        return Anchor { record, m_records[record].header };
    if (wanted.startsWith(u'('))
        wanted = InfoText::parseTarget(wanted).node;
    if (wanted.isEmpty())
        wanted = QStringLiteral("Top");
    if (const int record = m_exactNames.value(wanted, -1); record >= 0)
        return Anchor { record, m_records[record].header };
    if (const auto anchor = m_exactAnchors.constFind(wanted); anchor != m_exactAnchors.cend())
        return *anchor;
    const QString folded = InfoText::foldName(wanted);
    if (const int record = m_foldedNames.value(folded, -1); record >= 0)
        return Anchor { record, m_records[record].header };
    if (const auto anchor = m_foldedAnchors.constFind(folded); anchor != m_foldedAnchors.cend())
        return *anchor;
    if (folded == u"top" && !m_records.isEmpty())
        return Anchor { 0, m_records[0].header };
    return std::nullopt;
}

QString InfoDocument::textOf(const Record &record) const
{
    QString text = InfoFile::decode(
        QByteArrayView(m_subfiles[record.subfile].bytes).sliced(record.text, record.end - record.text),
        m_coding);
    text.remove(u'\r');
    return text;
}

QStringList InfoDocument::nodeNames() const
{
    QStringList names;
    names.reserve(m_records.size());
    for (const Record &record : m_records)
        names.append(record.fields.node);
    return names;
}

std::optional<InfoLocation> InfoDocument::locate(const QString &name) const
{
    const std::optional<Anchor> anchor = find(name);
    if (!anchor)
        return std::nullopt;
    // Counted only when asked: a hostile tag table may hold many anchors deep inside one long node.
    const Record &record = m_records[anchor->record];
    const qsizetype length = std::max<qsizetype>(anchor->position - record.header, 0);
    const int line
        = 1 + int(QByteArrayView(m_subfiles[record.subfile].bytes).sliced(record.header, length).count('\n'));
    return InfoLocation { record.fields.node, line };
}

std::optional<InfoNode> InfoDocument::node(const QString &name) const
{
    const std::optional<Anchor> anchor = find(name);
    if (!anchor)
        return std::nullopt;
    const Record &record = m_records[anchor->record];
    return InfoNode { record.fields.file, record.fields.node, record.fields.next, record.fields.prev,
        record.fields.up, textOf(record) };
}

QList<InfoIndexEntry> InfoDocument::indexEntries() const
{
    const auto isMarked = [this](const Record &record) {
        return QByteArrayView(m_subfiles[record.subfile].bytes)
            .sliced(record.text, record.end - record.text)
            .contains(kIndexMarker);
    };
    QList<const Record *> indices;
    for (const Record &record : m_records) {
        if (isMarked(record))
            indices.append(&record);
    }
    if (indices.isEmpty()) {
        for (const Record &record : m_records) {
            if (record.fields.node.endsWith(u"Index", Qt::CaseInsensitive))
                indices.append(&record);
        }
    }
    QList<InfoIndexEntry> entries;
    for (const Record *record : std::as_const(indices)) {
        for (const InfoMenuEntry &entry : InfoText::menuEntries(textOf(*record))) {
            const QString node = entry.target.manual.isEmpty()
                ? entry.target.node
                : u'(' + entry.target.manual + u')' + entry.target.node;
            entries.append({ withoutDuplicateMark(entry.label), node,
                InfoText::indexLine(entry.description).value_or(0) });
        }
    }
    return entries;
}

QList<InfoContentsEntry> InfoDocument::contents(int maxDepth) const
{
    const std::optional<Anchor> top = find(QStringLiteral("Top"));
    if (!top)
        return {};
    // Each level is a call deeper; menus nested further than this are no table of contents anyone reads.
    maxDepth = std::min(maxDepth, 64);
    QList<InfoContentsEntry> rows;
    QSet<int> visited { top->record };
    // Menus may point back up or at each other; each node is listed once, where it is first reached.
    const std::function<void(int, int)> walk = [&](int record, int depth) {
        if (depth > maxDepth)
            return;
        for (const InfoMenuEntry &entry : InfoText::menuEntries(textOf(m_records[record]))) {
            if (!entry.target.manual.isEmpty())
                continue;
            const std::optional<Anchor> found = find(entry.target.node);
            if (!found || visited.contains(found->record))
                continue;
            visited.insert(found->record);
            rows.append({ m_records[found->record].fields.node, entry.label, depth });
            const Record &child = m_records[found->record];
            // An index's menu lists the nodes it indexes, not nodes below it.
            if (!QByteArrayView(m_subfiles[child.subfile].bytes)
                     .sliced(child.text, child.end - child.text)
                     .contains(kIndexMarker))
                walk(found->record, depth + 1);
        }
    };
    walk(top->record, 0);
    return rows;
}

} // namespace Lectorin
