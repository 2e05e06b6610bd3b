// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "info/infodocument.h"

#include <QByteArray>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

#include <zlib.h>

// Info files as makeinfo writes them, built byte by byte so each test knows every offset.
namespace Lectorin::InfoFixtures {

struct Node
{
    QByteArray name;
    QByteArray next;
    QByteArray prev;
    QByteArray up;
    QByteArray text;
};

// An anchor `line` lines into the text of node `node`.
struct Anchor
{
    QByteArray name;
    QByteArray node;
    int line = 0;
};

inline QByteArray preamble(const QByteArray &file)
{
    return "This is " + file + ", produced by makeinfo version 7.0 from " + file + ".texi.\n\n"
        + "INFO-DIR-SECTION Fixtures\nSTART-INFO-DIR-ENTRY\n* " + file + ": (" + file + ").   A fixture.\n"
        + "END-INFO-DIR-ENTRY\n\n";
}

inline QByteArray nodeBytes(const QByteArray &file, const Node &node)
{
    QByteArray header = "\x1f\nFile: " + file + ".info,  Node: " + node.name;
    if (!node.next.isEmpty())
        header += ",  Next: " + node.next;
    if (!node.prev.isEmpty())
        header += ",  Prev: " + node.prev;
    header += ",  Up: " + (node.up.isEmpty() ? QByteArray("(dir)") : node.up);
    return header + "\n" + node.text;
}

inline qsizetype anchorOffset(const QByteArray &bytes, qsizetype nodeStart, int line)
{
    qsizetype position = bytes.indexOf('\n', nodeStart + 2) + 1; // the text, after "\x1f\n" and the header
    for (int i = 0; i < line; ++i)
        position = bytes.indexOf('\n', position) + 1;
    return position;
}

inline QByteArray localVariables(const QByteArray &coding)
{
    return coding.isEmpty() ? QByteArray() : "\x1f\nLocal Variables:\ncoding: " + coding + "\nEnd:\n";
}

// An unsplit manual whose tag table puts every entry `offsetError` bytes from where it belongs.
inline QByteArray manual(const QByteArray &file, const QList<Node> &nodes, int offsetError = 0,
    const QList<Anchor> &anchors = {}, const QByteArray &coding = "utf-8")
{
    QByteArray bytes = preamble(file);
    QByteArray tags = "\x1f\nTag Table:\n";
    for (const Node &node : nodes) {
        const qsizetype start = bytes.size();
        bytes += nodeBytes(file, node);
        tags += "Node: " + node.name + "\x7f" + QByteArray::number(start + offsetError) + "\n";
        for (const Anchor &anchor : anchors) {
            if (anchor.node == node.name) {
                tags += "Ref: " + anchor.name + "\x7f"
                    + QByteArray::number(anchorOffset(bytes, start, anchor.line) + offsetError) + "\n";
            }
        }
    }
    return bytes + tags + "\x1f\nEnd Tag Table\n" + localVariables(coding);
}

// A split manual: the main file with the indirect and tag tables, and one file for each list of nodes.
struct Split
{
    QByteArray main;
    QList<QByteArray> subfiles;
};

inline Split splitManual(
    const QByteArray &file, const QList<QList<Node>> &subfiles, const QList<Anchor> &anchors = {})
{
    Split split;
    QByteArray indirect = "\x1f\nIndirect:\n";
    QByteArray tags = "\x1f\nTag Table:\n(Indirect)\n";
    qsizetype before = 0; // the subfiles' bytes before this one, as if they were one file
    for (qsizetype k = 0; k < subfiles.size(); ++k) {
        QByteArray subfile = preamble(file);
        indirect += file + ".info-" + QByteArray::number(k + 1) + ": "
            + QByteArray::number(before + subfile.size()) + "\n";
        for (const Node &node : subfiles[k]) {
            const qsizetype start = subfile.size();
            subfile += nodeBytes(file, node);
            tags += "Node: " + node.name + "\x7f" + QByteArray::number(before + start) + "\n";
            for (const Anchor &anchor : anchors) {
                if (anchor.node == node.name) {
                    tags += "Ref: " + anchor.name + "\x7f"
                        + QByteArray::number(before + anchorOffset(subfile, start, anchor.line)) + "\n";
                }
            }
        }
        before += subfile.size();
        split.subfiles.append(subfile);
    }
    split.main = preamble(file) + indirect + tags + "\x1f\nEnd Tag Table\n" + localVariables("utf-8");
    return split;
}

inline QByteArray gzip(const QByteArray &bytes)
{
    z_stream stream {};
    // 15 + 16 window bits: a gzip header and trailer around the deflate stream.
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    QByteArray compressed(qsizetype(deflateBound(&stream, uLong(bytes.size()))) + 32, Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.constData()));
    stream.avail_in = uInt(bytes.size());
    stream.next_out = reinterpret_cast<Bytef *>(compressed.data());
    stream.avail_out = uInt(compressed.size());
    deflate(&stream, Z_FINISH);
    compressed.resize(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return compressed;
}

inline bool write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline const char kIndexStart[] = "\nIndex\n*****\n\n\0\b[index\0\b]\n* Menu:\n\n";

// A small manual shaped like coreutils': a Top menu, a node with headings, a table, an example, cross
// references and footnotes, and an index.
inline QList<Node> toolNodes()
{
    return {
        { "Top", "Invoking", {}, "(dir)",
            "\nTool\n****\n\nThis manual is about \xe2\x80\x98tool\xe2\x80\x99.\n\n* Menu:\n\n"
            "* Invoking::          Running it.\n* Options: Invoking.  Its options,\n                      "
            "all of them.\n"
            "* Index::\n" },
        { "Invoking", "Index", "Top", "Top",
            "\n1 Invoking \xe2\x80\x98tool\xe2\x80\x99\n*****************\n\n"
            "The \xe2\x80\x98tool\xe2\x80\x99 program does a great many things, all of them useful to "
            "somebody,\n"
            "and it accepts options & arguments <like this>.  *Note Common: (coreutils)Common\n"
            "options, for more.\n\n   Also see *note Top::.\n\n     tool --all   FILE\n     tool -n  3   "
            "FILE\n\n"
            "1.1 Options\n===========\n\n\xe2\x80\x98-a\xe2\x80\x99\n\xe2\x80\x98--all\xe2\x80\x99\n"
            "     Do everything there is to do.\n\n1.1.1 Details\n-------------\n\n   Details here.\n\n"
            "   ---------- Footnotes ----------\n\n   (1) A footnote.\n" },
        { "Index", {}, "Invoking", "Top",
            QByteArray(kIndexStart, sizeof kIndexStart - 1)
                + "* --all:                                 Invoking.               (line 19)\n"
                  "* tool:                                  Invoking.                (line 6)\n"
                  "* tool <1>:                              Top.                     (line 6)\n"
                  "* a very long index term that runs on and on:\n"
                  "                                         Invoking.               (line 19)\n" },
    };
}

inline const QList<Anchor> kToolAnchors { { "all option", "Invoking", 17 }, { "the menu", "Top", 6 } };

inline std::optional<InfoDocument> loaded(
    const QByteArray &bytes, const InfoDocument::SubfileReader &readSubfile = {})
{
    QString error;
    auto document = InfoDocument::fromBytes(bytes, readSubfile, &error);
    if (!document)
        qWarning() << "not loaded:" << error;
    return document;
}

// The line of a node's text a location names, counting the header as line 1 as index entries do.
inline QString lineAt(const InfoDocument &document, const InfoLocation &location)
{
    return document.node(location.node)->text.split(u'\n').value(location.line - 2);
}

} // namespace Lectorin::InfoFixtures
