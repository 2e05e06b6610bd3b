// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/manpage.h"
#include "catalogue/processrunner.h"
#include "catalogue/spawnedprocess.h"
#include "render/optionindex.h"
#include "themes/manpagepalette.h"

#include <QFuture>
#include <QString>
#include <QStringList>

#include <optional>

namespace Lectorin {

class CommandHelpCache;
class UnrenderablePages;

// mandoc takes well under a second for the largest pages; a run past this is hung and is given up.
inline constexpr int kFormatterTimeoutMilliseconds = 60000;
// Some inputs make mandoc grow without bound; the largest real pages need a few megabytes and well under a
// second of processor time.
inline constexpr SpawnedProcess::ResourceLimits kFormatterLimits { qint64(1) << 30, 20 };

// The outside tools a render uses. Production keeps the defaults; tests substitute their own.
struct RenderTools
{
    QString formatter = QStringLiteral("/usr/bin/mandoc");
    // The process's shared cache when null.
    CommandHelpCache *helpCache = nullptr;
    int formatterTimeoutMilliseconds = kFormatterTimeoutMilliseconds;
    SpawnedProcess::ResourceLimits formatterLimits = kFormatterLimits;
    // The process's shared record when null; must outlive the renders that use it.
    UnrenderablePages *unrenderablePages = nullptr;
};

// Turns catalogue entries into self-contained HTML documents for the web view and the exports.
namespace ManPageRenderer {

inline constexpr double kBaseFontSize = 13.0;

// A finished render: the document and the page's option index, or the process runner's reason why mandoc
// could not run.
struct RenderResult
{
    QString document;
    std::optional<QString> failure;
    QList<OptionDefinition> options = {};

    bool succeeded() const { return !failure.has_value(); }
    bool operator==(const RenderResult &) const = default;
};

// The page as an HTML document; help pages go through the command-help fallback. A page the formatter gave up
// on gives the "could not render" document, and is not formatted again until its file changes when asked on
// the thread of `tools.unrenderablePages`. May be called from any thread; the future finishes on a pool
// thread or on the help cache's thread.
QFuture<RenderResult> render(const ManPage &page, const std::optional<ManPagePalette> &palette,
    double fontScale, const RenderTools &tools = {});

// A page source outside the catalogue, given by its path, as a document titled by its file name; a file that
// cannot be shown (PageSource::problem) becomes an error page saying why.
QFuture<RenderResult> renderFile(const QString &path, const std::optional<ManPagePalette> &palette,
    double fontScale, const RenderTools &tools = {});

QString documentHTML(const QString &title, const QString &body, const std::optional<ManPagePalette> &palette,
    double fontScale);
QString errorHTML(const QString &title, const QString &message);
// The page for a manual page mandoc printed nothing for.
QString emptyOutputHTML(const QString &title);
// The page for a reference nothing in the catalogue answers.
QString notFoundHTML(const QString &name);
// The page for a render that failed with `description`.
QString renderingFailedHTML(const QString &name, const QString &description);

QString themeCSS(const ManPagePalette &palette);
QString fontSizeCSS(double fontScale);

QString baseStylesheet();
QString documentScript();
// A copy button before every preformatted block; its word is generated content, so the text is unchanged.
QString withCopyButtons(QString html);
// A rendered document without its copy buttons, for formats where a button means nothing.
QString withoutCopyButtons(QString html);
// The <meta> element that lets only documentScript() run in a document.
QString contentSecurityPolicy();

// mandoc's working directory for a page: two levels above the page file ("/usr/share/man" for
// "/usr/share/man/man1/ls.1").
QString formatterDirectory(const QString &pagePath);
// mandoc over a page file with the tools' time limit and ceilings. A file it gave up on before, unchanged
// since, is not formatted again when asked on the thread of `tools.unrenderablePages`: the result then says
// it gave up, with no output.
QFuture<ProcessRunner::RunResult> runFormatter(
    const QString &pagePath, const QStringList &arguments, const RenderTools &tools);
// Whether mandoc stopped short of a page: ended by a signal (its processor-time ceiling) or with status 6,
// its operating-system error such as exhausted memory. What it wrote then is not the page.
bool formatterGaveUp(const std::optional<int> &exitStatus);
QStringList htmlFormatterArguments(const QString &pagePath);

} // namespace ManPageRenderer
} // namespace Lectorin
