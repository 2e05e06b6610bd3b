// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/pagelinks.h"

namespace Lectorin::PageLinks {
namespace {

const char16_t kListScript[] = uR"js(
if (!document.body) return [];
const kind = (a) => /^(?:https?|mailto):/i.test(a.getAttribute("href")) ? "web"
    : a.classList.contains("lectorin-inferred") ? "inferred" : "mandoc";
return Array.from(document.body.querySelectorAll("a[href]:not(.permalink)"),
    (a) => [kind(a), a.getAttribute("href"), a.textContent.replace(/\s+/g, " ").trim()]);
)js";

} // namespace

QString listScript()
{
    return QString::fromUtf16(kListScript);
}

QList<PageLink> fromScriptResult(const QVariant &result)
{
    if (result.typeId() != QMetaType::QVariantList)
        return {};
    QList<PageLink> links;
    for (const QVariant &entry : result.toList()) {
        const QVariantList fields = entry.toList();
        if (fields.size() != 3)
            return {};
        links.append({ fields.at(0).toString(), fields.at(1).toString(), fields.at(2).toString() });
    }
    return links;
}

QString line(const PageLink &link)
{
    // A tab or line break inside a field would split the line; white space in the text is collapsed already.
    QString target = link.target;
    target.replace(u'\t', u' ').replace(u'\n', u' ');
    return link.kind + u'\t' + target + u'\t' + link.text;
}

} // namespace Lectorin::PageLinks
