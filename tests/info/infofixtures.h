// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
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

} // namespace Lectorin::InfoFixtures
