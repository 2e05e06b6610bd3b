// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/explanationpage.h"

#include "render/commandhelp.h"
#include "render/manpagerenderer.h"
#include "render/manurl.h"

#include <QCoreApplication>

namespace Lectorin::ExplanationPage {
namespace {

using Part = CommandLineExplainer::Part;
using Kind = Part::Kind;

QString tr(const char *text)
{
    return QCoreApplication::translate("ExplanationPage", text);
}

QString escaped(QStringView text)
{
    return CommandHelp::escapeHTML(text);
}

QString pageName(const QString &pageId)
{
    const std::optional<PageReference> reference = referenceOfID(pageId);
    if (!reference)
        return pageId;
    return reference->section && *reference->section != kHelpSection
        ? reference->name + u'(' + *reference->section + u')'
        : reference->name;
}

QString linked(const Part &part, const QString &text)
{
    const std::optional<QString> link = linkOf(part);
    return link ? QStringLiteral("<a href=\"%1\">%2</a>").arg(escaped(*link), escaped(text)) : escaped(text);
}

QString whatItIs(const Part &part)
{
    switch (part.kind) {
    case Kind::command:
        return part.description.isEmpty() ? tr("Runs %1.").arg(pageName(part.pageId)) : part.description;
    case Kind::option:
        return part.description;
    case Kind::argument:
        return tr("The argument of %1.").arg(part.option);
    case Kind::operand:
        return tr("An operand: a file, a name or a value the command works on.");
    case Kind::unknown:
        return part.pageId.isEmpty() ? tr("Nothing on this system defines it.")
                                     : tr("%1 does not define it.").arg(pageName(part.pageId));
    }
    return {};
}

QString kindClass(Kind kind)
{
    switch (kind) {
    case Kind::command:
        return QStringLiteral("command");
    case Kind::option:
        return QStringLiteral("option");
    case Kind::argument:
        return QStringLiteral("argument");
    case Kind::operand:
        return QStringLiteral("operand");
    case Kind::unknown:
        return QStringLiteral("unknown");
    }
    return {};
}

// The line as typed, each word linked to its first part's definition.
QString linkedLine(const QString &line, const QList<Part> &parts)
{
    QString html;
    qsizetype at = 0;
    for (const Part &part : parts) {
        if (part.wordStart < at || part.wordStart + part.wordLength > line.size())
            continue;
        html += escaped(QStringView(line).sliced(at, part.wordStart - at));
        html += QStringLiteral("<span class=\"lectorin-%1\">").arg(kindClass(part.kind))
            + linked(part, line.sliced(part.wordStart, part.wordLength)) + QStringLiteral("</span>");
        at = part.wordStart + part.wordLength;
    }
    return html + escaped(QStringView(line).sliced(at));
}

QString document(const QString &line, const QString &lineHTML, const QString &entriesHTML,
    const std::optional<ManPagePalette> &palette, double fontScale)
{
    const QString title = tr("Explain: %1").arg(line);
    return ManPageRenderer::documentHTML(title,
        QStringLiteral(
            "<h1 class=\"Sh\" id=\"EXPLAIN\">%1</h1>\n<pre class=\"lectorin-command-line\">%2</pre>\n%3")
            .arg(escaped(tr("Command Line")), lineHTML, entriesHTML),
        palette, fontScale);
}

} // namespace

std::optional<QString> linkOf(const Part &part)
{
    if (part.kind == Kind::unknown || part.kind == Kind::operand || part.kind == Kind::argument)
        return std::nullopt;
    const std::optional<PageReference> reference = referenceOfID(part.pageId);
    const std::optional<QString> url
        = reference ? manURLString(reference->name, reference->section) : std::nullopt;
    if (!url)
        return std::nullopt;
    return part.anchor.isEmpty() ? *url
                                 : *url + u'#' + QString::fromUtf8(QUrl::toPercentEncoding(part.anchor));
}

QString html(const QString &line, const QList<Part> &parts, const std::optional<ManPagePalette> &palette,
    double fontScale)
{
    QString entries = QStringLiteral("<dl class=\"Bl-tag lectorin-explanation\">\n");
    for (const Part &part : parts) {
        entries += QStringLiteral("  <dt class=\"lectorin-%1\">%2</dt>\n  <dd>%3</dd>\n")
                       .arg(kindClass(part.kind), linked(part, part.text), escaped(whatItIs(part)));
    }
    entries += QStringLiteral("</dl>\n");
    if (parts.isEmpty())
        entries
            = QStringLiteral("<p class=\"Pp\">%1</p>").arg(escaped(tr("There is no command to explain.")));
    return document(line, linkedLine(line, parts), entries, palette, fontScale);
}

QString pendingHTML(const QString &line, const std::optional<ManPagePalette> &palette, double fontScale)
{
    return document(line, escaped(line),
        QStringLiteral("<p class=\"Pp\">%1</p>").arg(escaped(tr("Reading the pages…"))), palette, fontScale);
}

} // namespace Lectorin::ExplanationPage
