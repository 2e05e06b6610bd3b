// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/manpagerenderer.h"

#include "catalogue/processrunner.h"
#include "render/commandhelp.h"
#include "render/infopagerenderer.h"
#include "render/manurl.h"
#include "render/pagesource.h"
#include "render/unrenderablepages.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QStringBuilder>
#include <QStringDecoder>
#include <QThread>

namespace Lectorin::ManPageRenderer {
namespace {

const QString kEmptyOutputMessage = QStringLiteral("mandoc could not render this page.");
const QString kCopyButton
    = QStringLiteral("<button type=\"button\" class=\"lectorin-copy\" aria-label=\"Copy example\"></button>");

const char16_t kBaseStylesheet[]
    = uR"css(/* The window's appearance arrives as an attribute on the root (see the colour-scheme script). The rules it
   selects carry no more weight than the plain ones (:where), so a theme's colours outrank them. */
html { color-scheme: light; }
:root:where([data-lectorin-appearance="dark"]) { color-scheme: dark; }
html {
    font: 13px/1.55 -apple-system, system-ui, sans-serif;
    background: Canvas; color: CanvasText;
}
body { max-width: 62em; margin: 0 auto; padding: 1.2em 2.5em 3em; }
code, kbd, samp, pre, dt {
    font-family: ui-monospace, "SF Mono", Menlo, monospace;
    font-size: 0.95em;
}
/* Page header/footer: older mandoc emits table.head/table.foot with td cells,
   newer mandoc emits div.head/div.foot with spans. */
table.head, table.foot, div.head, div.foot {
    width: 100%;
    font-size: 0.85em;
    color: color-mix(in srgb, CanvasText 55%, Canvas);
}
table.head, div.head { margin-bottom: 1em; }
table.foot, div.foot { margin-top: 2.5em; }
div.head, div.foot { display: flex; }
.head-ltitle, .head-vol, .head-rtitle,
.foot-left, .foot-date, .foot-right { flex: 1; }
td.head-vol, span.head-vol, span.foot-date { text-align: center; }
td.head-rtitle, td.foot-date, span.head-rtitle, span.foot-right { text-align: right; }
div.manual-text, main.manual-text { display: block; margin-left: 1.2em; }
h1.Sh, h2.Sh, h2.Ss, h3.Ss {
    font-size: 1.0em;
    letter-spacing: 0.02em;
    margin: 1.6em 0 0.5em -1.2em;
}
h2.Ss, h3.Ss { margin-left: -0.6em; }
/* Visited links keep the link colour. The engine's dark LinkText is the light one's #0000EE, unreadable on
   the dark canvas; this blue reads at 8:1 there. */
a { color: LinkText; }
:where([data-lectorin-appearance="dark"]) a { color: #8AB4F8; }
a.permalink { color: inherit; text-decoration: none; }
a.Xr { text-decoration: none; }
a.Xr:hover { text-decoration: underline; }
/* Inferred links (catalogue-confirmed references the page's author didn't mark
   as .Xr) and web addresses found in the text: the colour of real links, a
   dotted hover underline instead of a solid one. */
a.lectorin-inferred, a.lectorin-web { text-decoration: none; }
a.lectorin-inferred:hover, a.lectorin-web:hover { text-decoration: underline dotted; }
/* Synopses: mandoc sets each command line in a table.Nm of a name cell and an
   arguments cell. Names and flags never break inside ("ssh-agent", "-o"), the
   name column takes its longest name, and both cells start on the first line.
   A man(7) synopsis is the section after NAME, whatever its language calls it. */
table.Nm { border-collapse: collapse; margin: 0.2em 0; }
table.Nm td { vertical-align: top; padding: 0; }
table.Nm td:first-child { white-space: nowrap; padding-right: 0.6em; }
code.Nm, code.Fl, code.Cm, table.Nm b, h1#SYNOPSIS ~ p b,
div.manual-text > section.Sh:nth-of-type(2) > p b { white-space: nowrap; }
dl.Bl-tag > dt { margin-top: 0.7em; }
dl.Bl-tag.Bl-compact > dt { margin-top: 0.15em; }
dl.Bl-tag > dd { margin-left: 2.4em; }
div.Bd-indent { margin-left: 2.4em; }
pre { line-height: 1.4; overflow-x: auto; }
/* Copy buttons: their words are generated content, so Find never meets them. */
button.lectorin-copy {
    float: right; margin: 0 0 0.3em 0.8em; padding: 1px 8px;
    font: 0.8em system-ui, sans-serif; color: inherit; background: transparent;
    border: 1px solid rgba(128, 128, 128, 0.5); border-radius: 4px; opacity: 0.6; cursor: pointer;
}
button.lectorin-copy:hover, button.lectorin-copy:focus-visible { opacity: 1; }
button.lectorin-copy::before { content: "Copy"; }
button.lectorin-copy[data-copied]::before { content: "Copied"; }
@media print { button.lectorin-copy { display: none; } }
/* An option or section jumped to is marked for a moment. */
/* A definition jumped to keeps a little of the text above it in view. A translucent amber reads on every
   theme's background, light or dark. */
[data-lectorin-option] { scroll-margin-top: 0.8em; }
.lectorin-marked { animation: lectorin-mark 3s ease-out; border-radius: 3px; }
@keyframes lectorin-mark {
    0%, 50% { background-color: rgba(255, 190, 40, 0.45); }
    100% { background-color: rgba(255, 190, 40, 0); }
}
/* The reader's highlights. Translucent like the jump mark, so the text keeps its theme colour and reads on
   any background; a line of the full colour along the bottom tells the four apart on dark pages. */
mark.lectorin-highlight {
    color: inherit; border-radius: 2px;
    -webkit-box-decoration-break: clone; box-decoration-break: clone;
    -webkit-print-color-adjust: exact; print-color-adjust: exact;
}
mark.lectorin-highlight[data-colour="yellow"] {
    background-color: rgba(255, 214, 10, 0.45); box-shadow: inset 0 -1px rgba(230, 180, 0, 0.9);
}
mark.lectorin-highlight[data-colour="green"] {
    background-color: rgba(52, 199, 89, 0.35); box-shadow: inset 0 -1px rgba(40, 170, 70, 0.9);
}
mark.lectorin-highlight[data-colour="blue"] {
    background-color: rgba(10, 132, 255, 0.3); box-shadow: inset 0 -1px rgba(10, 120, 240, 0.9);
}
mark.lectorin-highlight[data-colour="pink"] {
    background-color: rgba(255, 55, 145, 0.3); box-shadow: inset 0 -1px rgba(235, 50, 135, 0.9);
}
/* A highlight with a note shows it under the pointer (its title) and says so with a dotted underline. */
mark.lectorin-highlight[title] { text-decoration: underline dotted; text-underline-offset: 3px; cursor: help; }
.lectorin-error { color: color-mix(in srgb, CanvasText 65%, Canvas); margin-top: 3em; text-align: center; }
/* Command-help pages (no manual; the output of `command --help`). */
.lectorin-help-note { font-size: 0.85em; color: color-mix(in srgb, CanvasText 65%, Canvas); margin: 0 0 1.6em; }
pre.lectorin-help-output { white-space: pre-wrap; })css";

// The document's one script, in its head: a long document's top reports its paint before the rest has come
// (DocumentStream holds the rest until then). The "click" that follows a tagged "mousedown" is cancelled too:
// the web view would otherwise open a window of its own for the same Ctrl-click.
const char16_t kDocumentScript[] = uR"js(
<script>
// Ctrl-click = open in a new window. The web view turns a Ctrl-click into a new
// window of its own after the DOM events, so the page tags the navigation itself
// on "mousedown", cancels the "click" that follows, and the navigation decider
// routes the tagged navigation to a new window.
function lectorinNewWindowTarget(e) {
    if (!(e.ctrlKey || e.metaKey) || e.button !== 0) return null;
    const a = e.target.closest("a[href]");
    if (!a) return null;
    const href = a.getAttribute("href");
    if (!href || href.startsWith("#")) return null;
    return href;
}
document.addEventListener("mousedown", (e) => {
    const href = lectorinNewWindowTarget(e);
    if (!href) return;
    e.preventDefault();
    e.stopPropagation();
    location.href = href + (href.includes("?") ? "&" : "?") + "lectorin-target=new-window";
}, true);
document.addEventListener("click", (e) => {
    if (!lectorinNewWindowTarget(e)) return;
    e.preventDefault();
    e.stopPropagation();
}, true);
// A copy button copies the example after it as plain text. The closing line break goes: pasted into a
// terminal, it would run the command at once.
document.addEventListener("click", (e) => {
    const button = e.target.closest("button.lectorin-copy");
    const example = button && button.nextElementSibling;
    if (!example) return;
    const text = example.innerText.replace(/\n+$/, "");
    const put = (c) => { c.clipboardData.setData("text/plain", text); c.preventDefault(); };
    document.addEventListener("copy", put);
    document.execCommand("copy");
    document.removeEventListener("copy", put);
    button.dataset.copied = "";
    setTimeout(() => { delete button.dataset.copied; }, 1500);
});
// The window covers the page between two documents until this one has painted: the engine reports its
// first contentful paint once that frame is presented.
new PerformanceObserver((list, observer) => {
    if (!list.getEntriesByName("first-contentful-paint").length) return;
    observer.disconnect();
    console.info("lectorin:painted");
}).observe({ type: "paint", buffered: true });
</script>
)js";

std::optional<QString> decodeStrictUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// In no-fill text mandoc writes a "<br/>" line of its own before every line that starts with a space, as in
// git(1)'s synopsis; the line breaks of the <pre> already break there, so each would show as a blank line.
QString withoutDoubledBreaks(QString html)
{
    static const QString kBreakLine = QStringLiteral("\n<br/>\n");
    qsizetype from = 0;
    for (;;) {
        const qsizetype start = html.indexOf(u"<pre", from);
        if (start < 0)
            return html;
        qsizetype end = html.indexOf(u"</pre>", start);
        if (end < 0)
            return html;
        for (qsizetype found = html.indexOf(kBreakLine, start); found >= 0 && found < end;
             found = html.indexOf(kBreakLine, found + 1)) {
            html.remove(found + 1, kBreakLine.size() - 1);
            end -= kBreakLine.size() - 1;
        }
        from = end;
    }
}

} // namespace

// Every preformatted block gets a copy button before it; its text is generated, so the page's text is
// unchanged.
QString withCopyButtons(QString html)
{
    for (qsizetype found = html.indexOf(u"<pre"); found >= 0; found = html.indexOf(u"<pre", found + 1)) {
        const QChar next = found + 4 < html.size() ? html.at(found + 4) : QChar();
        if (next != u'>' && next != u' ')
            continue;
        html.insert(found, kCopyButton);
        found += kCopyButton.size();
    }
    return html;
}

namespace {

// mandoc writes its page links as "x-lectorin-man://%S/%N"; a section QUrl would read back as another one
// ("010" as 8) gets the form that reads back.
QString withReadableLinks(QString html)
{
    static const QString prefix = u"href=\"" + kManURLScheme + u"://";
    for (qsizetype found = html.indexOf(prefix); found >= 0; found = html.indexOf(prefix, found + 1)) {
        const qsizetype start = found + prefix.size();
        const qsizetype end = html.indexOf(u'"', start);
        const qsizetype slash = html.indexOf(u'/', start);
        if (end < 0)
            break;
        if (slash < 0 || slash > end)
            continue;
        const QString section = html.sliced(start, slash - start);
        const QString name
            = html.sliced(slash + 1, end - slash - 1).replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        const std::optional<QString> url = manURLString(name, section);
        if (!url || url->startsWith(kManURLScheme + u"://" + section + u'/'))
            continue;
        html.replace(start - kManURLScheme.size() - 3, end - start + kManURLScheme.size() + 3,
            CommandHelp::escapeHTML(*url));
    }
    return html;
}

// mandoc's HTML for the file at `path` as a document titled `title`.
QFuture<RenderResult> formatFile(const QString &path, const QString &title, const QString &emptyTitle,
    const std::optional<ManPagePalette> &palette, double fontScale, const RenderTools &tools)
{
    return runFormatter(path, htmlFormatterArguments(path), tools)
        .then([title, emptyTitle, palette, fontScale](const ProcessRunner::RunResult &run) {
            if (!run.started())
                return RenderResult { QString(), run.startError };
            const std::optional<QString> output
                = formatterGaveUp(run.exitStatus) ? std::nullopt : decodeStrictUtf8(run.output);
            if (!output || output->isEmpty())
                return RenderResult { emptyOutputHTML(emptyTitle), std::nullopt };
            OptionIndex::Indexed indexed
                = OptionIndex::index(withReadableLinks(withoutDoubledBreaks(*output)));
            return RenderResult { documentHTML(title, withCopyButtons(indexed.html), palette, fontScale),
                std::nullopt, std::move(indexed.definitions) };
        });
}

} // namespace

QFuture<RenderResult> render(const ManPage &page, const std::optional<ManPagePalette> &palette,
    double fontScale, const RenderTools &tools)
{
    if (page.isInfoNode())
        return InfoPageRenderer::render(page, palette, fontScale);
    if (page.isHelpPage()) {
        return CommandHelp::commandHelpHTML(page, palette, fontScale, tools.helpCache)
            .then([](QString document) {
                return RenderResult { std::move(document), std::nullopt };
            });
    }
    const QString title = page.name % u'(' % page.section % u')';
    return formatFile(page.path(), title, page.displayName, palette, fontScale, tools);
}

QFuture<RenderResult> renderFile(const QString &path, const std::optional<ManPagePalette> &palette,
    double fontScale, const RenderTools &tools)
{
    const QString title = QFileInfo(path).fileName();
    if (const std::optional<QString> problem = PageSource::problem(path))
        return QtFuture::makeReadyFuture(RenderResult { errorHTML(title, *problem), std::nullopt });
    return formatFile(QFileInfo(path).absoluteFilePath(), title, title, palette, fontScale, tools);
}

QFuture<ProcessRunner::RunResult> runFormatter(
    const QString &pagePath, const QStringList &arguments, const RenderTools &tools)
{
    UnrenderablePages *unrenderable
        = tools.unrenderablePages ? tools.unrenderablePages : &UnrenderablePages::shared();
    // A FIFO or a device would hold the formatter until its time limit on every try: never hand one over.
    const QFileInfo file(pagePath);
    const bool isSpecialFile = file.exists() && !file.isFile();
    if (isSpecialFile
        || (QThread::currentThread() == unrenderable->thread() && unrenderable->contains(pagePath)))
        return QtFuture::makeReadyFuture(ProcessRunner::RunResult {}); // as if stopped by a signal
    // Taken before the run: a file that changes meanwhile gets its chance.
    const std::optional<UnrenderablePages::FileState> state = UnrenderablePages::stateOf(pagePath);
    return ProcessRunner::run(tools.formatter, arguments, formatterDirectory(pagePath),
        tools.formatterTimeoutMilliseconds, tools.formatterLimits)
        .then([unrenderable, pagePath, state](ProcessRunner::RunResult run) {
            if (run.started() && formatterGaveUp(run.exitStatus) && state)
                unrenderable->insert(pagePath, *state);
            return run;
        });
}

QString documentHTML(
    const QString &title, const QString &body, const std::optional<ManPagePalette> &palette, double fontScale)
{
    // The title is escaped: page file names and names in links from other programs may carry markup.
    return u"<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n" % contentSecurityPolicy()
        % u"<title>" % CommandHelp::escapeHTML(title) % u"</title>\n<style>" % baseStylesheet()
        % (palette ? themeCSS(*palette) : QString()) % fontSizeCSS(fontScale) % u"</style>\n"
        % documentScript() % u"</head>\n<body>\n" % body % u"</body>\n</html>\n";
}

QString errorHTML(const QString &title, const QString &message)
{
    return documentHTML(title,
        u"<div class=\"manual-text lectorin-error\"><p>" % CommandHelp::escapeHTML(message) % u"</p></div>",
        std::nullopt, 1.0);
}

QString emptyOutputHTML(const QString &title)
{
    return errorHTML(title, kEmptyOutputMessage);
}

QString notFoundHTML(const QString &name)
{
    return errorHTML(name, u"No manual entry for \u201C" % name % u"\u201D.");
}

QString renderingFailedHTML(const QString &name, const QString &description)
{
    return errorHTML(name, u"Rendering failed: " % description);
}

QString themeCSS(const ManPagePalette &palette)
{
    return palette.overlayCSS();
}

QString fontSizeCSS(double fontScale)
{
    if (fontScale == 1.0)
        return QString();
    return QStringLiteral("\nhtml { font-size: %1px; }").arg(fontScale * kBaseFontSize, 0, 'f', 2);
}

QString baseStylesheet()
{
    return QString::fromUtf16(kBaseStylesheet);
}

QString documentScript()
{
    return QString::fromUtf16(kDocumentScript);
}

QString withoutCopyButtons(QString html)
{
    return html.remove(kCopyButton);
}

QString contentSecurityPolicy()
{
    // Only the document's own script, known by its digest, may run: never one that a page's text, its file
    // name or a "javascript:" link smuggles in, inline event handlers included.
    static const QString policy = []() -> QString {
        const QString script = documentScript();
        const qsizetype start = script.indexOf(u'>') + 1;
        const QByteArray body = script.mid(start, script.indexOf(u"</script>") - start).toUtf8();
        const QByteArray digest = QCryptographicHash::hash(body, QCryptographicHash::Sha256).toBase64();
        return u"<meta http-equiv=\"Content-Security-Policy\" content=\"script-src 'sha256-"
            % QString::fromLatin1(digest) % u"'; object-src 'none'; base-uri 'none'\">\n";
    }();
    return policy;
}

QString formatterDirectory(const QString &pagePath)
{
    return QFileInfo(QFileInfo(pagePath).absolutePath()).absolutePath();
}

bool formatterGaveUp(const std::optional<int> &exitStatus)
{
    constexpr int kOperatingSystemError = 6;
    return !exitStatus || *exitStatus >= kOperatingSystemError;
}

QStringList htmlFormatterArguments(const QString &pagePath)
{
    return { QStringLiteral("-T"), QStringLiteral("html"), QStringLiteral("-O"),
        QStringLiteral("fragment,man=x-lectorin-man://%S/%N"), pagePath };
}

} // namespace Lectorin::ManPageRenderer
