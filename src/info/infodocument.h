// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "info/infotext.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace Lectorin {

// One node: the pointers of its header line and its text, from the line after the header to the next node.
struct InfoNode
{
    QString file;
    QString name;
    QString next;
    QString prev;
    QString up;
    QString text;

    bool operator==(const InfoNode &) const = default;
};

// "* ls:  ls invocation.  (line 6)" in an index node: `line` counts the node's header line as 1, as the
// index does; 0 when the entry gives none.
struct InfoIndexEntry
{
    QString entry;
    QString node;
    int line = 0;

    bool operator==(const InfoIndexEntry &) const = default;
};

// Where a node or anchor name leads: the node that holds it and the line there (1 is the header line).
struct InfoLocation
{
    QString node;
    int line = 1;

    bool operator==(const InfoLocation &) const = default;
};

// A row of the manual's table of contents, read from the menus down from Top.
struct InfoContentsEntry
{
    QString node;
    QString label;
    int depth = 0;

    bool operator==(const InfoContentsEntry &) const = default;
};

// A loaded Info manual: its nodes, found by scanning every subfile for node separators, and its anchors,
// placed through the tag table whose offsets it only trusts as far as the nodes around them confirm.
class InfoDocument
{
public:
    // The bytes of a subfile of a split manual named in its indirect table ("coreutils.info-2"), or nothing
    // and why.
    using SubfileReader = std::function<std::optional<QByteArray>(const QString &name, QString *error)>;

    // The manual whose main file is `mainFile`, its subfiles read from the same directory, plain or ".gz".
    static std::optional<InfoDocument> load(const QString &mainFile, QString *error = nullptr);
    // The manual whose main file holds `bytes`, plain or gzip; subfiles come from `readSubfile`. Nothing, and
    // `error`, only when not a single node can be read.
    static std::optional<InfoDocument> fromBytes(
        const QByteArray &bytes, const SubfileReader &readSubfile = {}, QString *error = nullptr);

    // Document order, subfiles in the order of the indirect table.
    QStringList nodeNames() const;
    // Node names and anchors alike, exact first, then with case and whitespace folded; "(manual)" in front is
    // ignored and an empty name means Top.
    std::optional<InfoLocation> locate(const QString &name) const;
    // The node a name leads to, as locate() finds it; a manual without a Top node opens at its first node.
    std::optional<InfoNode> node(const QString &name = QStringLiteral("Top")) const;
    // The entries of the nodes marked as indices, else of the nodes whose names end in "Index".
    QList<InfoIndexEntry> indexEntries() const;
    // The nodes reachable through menus from Top, each once, depth first, at most `maxDepth` (up to 64)
    // levels deep.
    QList<InfoContentsEntry> contents(int maxDepth = 8) const;
    // What could not be read, such as a missing subfile or a compressed file that ends early.
    QStringList problems() const { return m_problems; }

private:
    struct Subfile
    {
        QString name;
        QByteArray bytes;
    };
    struct Record
    {
        int subfile = 0;
        qsizetype separator = 0;
        qsizetype header = 0;
        qsizetype text = 0;
        qsizetype end = 0;
        InfoNodeHeader fields;
    };
    struct Anchor
    {
        int record = 0;
        qsizetype position = 0;
    };

    InfoDocument() = default;
    void scanSubfile(int subfile);
    void placeAnchors(const QByteArray &tagTable, const QList<std::pair<qsizetype, int>> &subfileStarts);
    std::optional<Anchor> find(const QString &name) const;
    QString textOf(const Record &record) const;

    // The main file, then the subfiles its indirect table names.
    QList<Subfile> m_subfiles;
    QList<Record> m_records;
    QHash<QString, int> m_exactNames;
    QHash<QString, int> m_foldedNames;
    QHash<QString, Anchor> m_exactAnchors;
    QHash<QString, Anchor> m_foldedAnchors;
    QString m_coding;
    QStringList m_problems;
};

} // namespace Lectorin
