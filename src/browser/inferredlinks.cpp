// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/inferredlinks.h"

#include "catalogue/appmodel.h"
#include "render/manurl.h"

namespace Lectorin::InferredLinks {
namespace {

const char16_t kCollectScript[] = uR"js(
const found = new Set();
if (!document.body) return [];
const inLink = (node) => !!(node.parentElement && node.parentElement.closest("a"));
const reference = /([A-Za-z0-9_][A-Za-z0-9_.:+-]*)\((\d[a-zA-Z]*)\)/g;
const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
for (let node = walker.nextNode(); node; node = walker.nextNode()) {
    if (inLink(node)) continue;
    for (const match of node.nodeValue.matchAll(reference))
        found.add(match[1] + "|" + match[2]);
}
const bareName = /^[A-Za-z0-9_][A-Za-z0-9_.:+-]*$/;
const sectionStart = /^\((\d[a-zA-Z]*)\)/;
for (const element of document.body.querySelectorAll("b, i")) {
    if (element.closest("a") || element.querySelector("a")) continue;
    const next = element.nextSibling;
    if (!next || next.nodeType !== Node.TEXT_NODE) continue;
    const section = sectionStart.exec(next.nodeValue);
    const text = element.textContent.trim();
    if (section && bareName.test(text)) found.add(text + "|" + section[1]);
}
for (const element of document.querySelectorAll("code.Nm, code.Sy, code.Ic, code.Fn")) {
    if (element.closest("a")) continue;
    const text = element.textContent.trim();
    if (bareName.test(text)) found.add(text + "|");
}
return Array.from(found);
)js";

// Lookups take own properties only: a marked name such as "constructor" must not find Object's members.
const char16_t kLinkScript[] = uR"js(
if (!document.body) return;
const own = (table, key) => Object.prototype.hasOwnProperty.call(table, key) ? table[key] : undefined;
const newLink = (url) => {
    const a = document.createElement("a");
    a.href = url;
    a.className = "lectorin-inferred";
    return a;
};
const wrap = (element, url) => {
    const a = newLink(url);
    while (element.firstChild) a.appendChild(element.firstChild);
    element.appendChild(a);
};
// man(7) pages write ".BR name (N)", which comes out as "<b>name</b>(N)": the link takes the element and the
// "(N)" split off the text node after it.
const sectionStart = /^\(\d[a-zA-Z]*\)/;
const splitReferences = [];
for (const element of document.body.querySelectorAll("b, i")) {
    if (element.closest("a") || element.querySelector("a")) continue;
    const next = element.nextSibling;
    if (!next || next.nodeType !== Node.TEXT_NODE) continue;
    const section = sectionStart.exec(next.nodeValue);
    const url = section ? own(patterns, element.textContent.trim() + section[0]) : undefined;
    if (typeof url === "string") splitReferences.push({ element, next, length: section[0].length, url });
}
for (const { element, next, length, url } of splitReferences) {
    if (next.nodeValue.length > length) next.splitText(length);
    const a = newLink(url);
    element.parentNode.insertBefore(a, element);
    a.appendChild(element);
    a.appendChild(next);
}
const reference = /([A-Za-z0-9_][A-Za-z0-9_.:+-]*\(\d[a-zA-Z]*\))/g;
const contains = /[A-Za-z0-9_][A-Za-z0-9_.:+-]*\(\d[a-zA-Z]*\)/;
const inLink = (node) => !!(node.parentElement && node.parentElement.closest("a"));
const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
const nodes = [];
for (let node = walker.nextNode(); node; node = walker.nextNode()) {
    if (!inLink(node) && contains.test(node.nodeValue)) nodes.push(node);
}
for (const node of nodes) {
    const fragment = document.createDocumentFragment();
    for (const piece of node.nodeValue.split(reference)) {
        const url = own(patterns, piece);
        if (typeof url === "string") {
            const a = newLink(url);
            a.textContent = piece;
            fragment.appendChild(a);
        } else if (piece) {
            fragment.appendChild(document.createTextNode(piece));
        }
    }
    node.parentNode.replaceChild(fragment, node);
}
for (const element of document.querySelectorAll("code.Nm, code.Sy, code.Ic, code.Fn")) {
    if (element.closest("a") || element.querySelector("a")) continue;
    const url = own(marked, element.textContent.trim());
    if (typeof url === "string") wrap(element, url);
}
)js";

// Web and mail addresses in running text. The angle brackets pages put around them and punctuation that
// ends a sentence stay outside the link; so does a closing parenthesis the address did not open.
const char16_t kWebLinkScript[] = uR"js(
if (!document.body) return;
// A bare "www." starts a word; "name=www.example.org." in an example command is no address.
// A bare mail address has a dotted domain and is no "user@host:path" of a repository.
const address = /(?:(?<![\w@.\/:-])(?:https?:\/\/|mailto:)|(?<![^\s(<\["'])www\.)[^\s<>"\\]+|(?<![\w.+%\/:=@-])[\w.+%-]+@[a-z0-9-]+(?:\.[a-z0-9-]+)+(?![\w:\/@-])/gi;
const bareMail = /^[\w.+%-]+@/;
const trailing = /[.,;:!?'"\]]$/;
const trimmed = (text) => {
    for (;;) {
        if (trailing.test(text)) text = text.slice(0, -1);
        else if (text.endsWith(")") && text.split(")").length > text.split("(").length) text = text.slice(0, -1);
        else return text;
    }
};
const hasTarget = /^(?:(?:https?:\/\/|mailto:|www\.)[\w%~]|[\w.+%-]+@[a-z0-9-]+\.)/i;
const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
const nodes = [];
for (let node = walker.nextNode(); node; node = walker.nextNode()) {
    if (node.parentElement.closest("a, script, style")) continue;
    address.lastIndex = 0;
    if (address.test(node.nodeValue)) nodes.push(node);
}
for (const node of nodes) {
    const text = node.nodeValue;
    const fragment = document.createDocumentFragment();
    let done = 0;
    for (const match of text.matchAll(address)) {
        const link = trimmed(match[0]);
        if (!hasTarget.test(link)) continue;
        fragment.appendChild(document.createTextNode(text.slice(done, match.index)));
        const a = document.createElement("a");
        a.href = /^www\./i.test(link) ? "https://" + link : bareMail.test(link) ? "mailto:" + link : link;
        a.className = "lectorin-web";
        a.textContent = link;
        fragment.appendChild(a);
        done = match.index + link.length;
    }
    if (done === 0) continue;
    fragment.appendChild(document.createTextNode(text.slice(done)));
    node.parentNode.replaceChild(fragment, node);
}
)js";

} // namespace

QString webLinkScript()
{
    return QString::fromUtf16(kWebLinkScript);
}

QString collectScript()
{
    return QString::fromUtf16(kCollectScript);
}

QString linkScript()
{
    return QString::fromUtf16(kLinkScript);
}

Links confirm(const QVariant &candidates, const ManPage &shown, const AppModel &app)
{
    Links links;
    if (candidates.typeId() != QMetaType::QVariantList && candidates.typeId() != QMetaType::QStringList)
        return links;
    const QVariantList list = candidates.toList();
    for (const QVariant &candidate : list) {
        if (candidate.typeId() != QMetaType::QString)
            return {};
    }
    const QString shownID = shown.id();
    for (const QVariant &candidate : list) {
        const QString text = candidate.toString();
        const qsizetype bar = text.indexOf(u'|');
        if (bar < 0)
            continue;
        const QString name = text.left(bar);
        const QString section = text.mid(bar + 1);
        std::optional<ManPage> target;
        if (section.isEmpty()) {
            if (name == shown.name)
                continue;
            const QList<ManPage> named = app.pagesNamed(name);
            if (!named.isEmpty())
                target = named.constFirst();
        } else {
            target = app.page(section + u'/' + name);
        }
        if (!target || target->id() == shownID)
            continue;
        const std::optional<QString> url = manURLString(target->name, target->section);
        if (!url)
            continue;
        if (section.isEmpty())
            links.marked.insert(name, *url);
        else
            links.patterns.insert(name + u'(' + section + u')', *url);
    }
    return links;
}

} // namespace Lectorin::InferredLinks
