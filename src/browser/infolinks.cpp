// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/infolinks.h"

#include "catalogue/appmodel.h"
#include "info/infourl.h"

namespace Lectorin::InfoLinks {
namespace {

// Both scripts walk the same nodes in the same order, so a number found by one names a node for the other.
const char16_t kCandidates[] = uR"js(
const candidates = () => {
    const found = [];
    if (!document.body) return found;
    const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
    for (let node = walker.nextNode(); node; node = walker.nextNode()) {
        if (node.parentElement.closest("a, script, style")) continue;
        if (/info/i.test(node.nodeValue)) found.push(node);
    }
    return found;
};
)js";

const char16_t kCollect[] = uR"js(
const blockOf = (node) => node.parentElement.closest("p, dd, dt, li, pre, td, div, section") || document.body;
return candidates().map((node, number) => {
    const block = blockOf(node);
    const walker = document.createTreeWalker(block, NodeFilter.SHOW_TEXT);
    let offset = 0;
    for (let other = walker.nextNode(); other && other !== node; other = walker.nextNode())
        offset += other.nodeValue.length;
    return [number, node.nodeValue, block.textContent, offset];
});
)js";

const char16_t kLink[] = uR"js(
const nodes = candidates();
const byNode = new Map();
for (const [number, start, length, url] of links) {
    if (!byNode.has(number)) byNode.set(number, []);
    byNode.get(number).push({ start, length, url });
}
for (const [number, ranges] of byNode) {
    const node = nodes[number];
    if (!node) continue;
    // From the end, so that the earlier offsets still hold after each split.
    ranges.sort((a, b) => b.start - a.start);
    for (const { start, length, url } of ranges) {
        if (start < 0 || start + length > node.nodeValue.length) continue;
        const rest = node.splitText(start);
        rest.splitText(length);
        const a = document.createElement("a");
        a.href = url;
        a.className = "lectorin-inferred";
        rest.parentNode.insertBefore(a, rest);
        a.appendChild(rest);
    }
}
)js";

bool isNumber(const QVariant &value)
{
    return value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Int
        || value.typeId() == QMetaType::LongLong;
}

} // namespace

QString collectScript()
{
    return QString::fromUtf16(kCandidates) + QString::fromUtf16(kCollect);
}

QString linkScript()
{
    return QString::fromUtf16(kCandidates) + QString::fromUtf16(kLink);
}

QVariantList confirm(const QVariant &candidates, const AppModel &app)
{
    QVariantList links;
    if (candidates.typeId() != QMetaType::QVariantList)
        return links;
    for (const QVariant &candidate : candidates.toList()) {
        const QVariantList fields = candidate.toList();
        if (fields.size() != 4 || !isNumber(fields[0]) || fields[1].typeId() != QMetaType::QString
            || fields[2].typeId() != QMetaType::QString || !isNumber(fields[3]))
            return {};
        const qsizetype nodeLength = fields[1].toString().size();
        const qsizetype offset = qsizetype(fields[3].toDouble());
        // Matched in the whole block, so that a reference split by markup is still found; linked where it
        // lies inside this node.
        for (const InfoTextReference &found : InfoUrl::findInManPageText(fields[2].toString())) {
            const qsizetype start = found.start - offset;
            if (start < 0 || start + found.length > nodeLength)
                continue;
            if (!InfoPath::find(app.infoLibrary().manuals, found.reference.manual))
                continue;
            links.append(QVariant(QVariantList { fields[0], double(start), double(found.length),
                InfoUrl::urlString(found.reference.manual, found.reference.node) }));
        }
    }
    return links;
}

} // namespace Lectorin::InfoLinks
