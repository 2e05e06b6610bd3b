// SPDX-License-Identifier: GPL-3.0-or-later
// The Info manual reader over any bytes, plain or gzip-compressed, and the HTML of every node it finds.
#include "info/infodocument.h"
#include "info/infonodehtml.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace Lectorin;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    // Every subfile an indirect table names reads as the same bytes, so split manuals are read too.
    const auto readSubfile
        = [&bytes](const QString &, QString *) { return std::optional<QByteArray>(bytes); };
    const auto document = InfoDocument::fromBytes(bytes, readSubfile);
    if (!document)
        return 0;
    const QStringList names = document->nodeNames();
    if (names.isEmpty())
        __builtin_trap(); // a document is only made of nodes that were found
    for (const QString &name : names) {
        const auto node = document->node(name);
        if (!node)
            __builtin_trap(); // every name the document lists opens
        (void)InfoNodeHtml::body(*node, QStringLiteral("manual"));
    }
    (void)document->indexEntries();
    (void)document->contents();
    return 0;
}
