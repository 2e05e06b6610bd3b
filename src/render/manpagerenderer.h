// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/manpage.h"
#include "themes/manpagepalette.h"

#include <QFuture>
#include <QString>
#include <QStringList>

#include <optional>

namespace Lectorin {

class CommandHelpCache;

// mandoc takes well under a second for the largest pages; a run past this is hung and is given up.
inline constexpr int kFormatterTimeoutMilliseconds = 60000;

// The outside tools a render uses. Production keeps the defaults; tests substitute their own.
struct RenderTools
{
    QString formatter = QStringLiteral("/usr/bin/mandoc");
    // The process's shared cache when null.
    CommandHelpCache *helpCache = nullptr;
    int formatterTimeoutMilliseconds = kFormatterTimeoutMilliseconds;
};

// Turns catalogue entries into self-contained HTML documents for the web view and the exports.
namespace ManPageRenderer {

inline constexpr double kBaseFontSize = 13.0;

// A finished render: the document, or the process runner's reason why mandoc could not run.
struct RenderResult
{
    QString document;
    std::optional<QString> failure;

    bool succeeded() const { return !failure.has_value(); }
    bool operator==(const RenderResult &) const = default;
};

// The page as an HTML document; help pages go through the command-help fallback. May be called from any
// thread; the future finishes on a pool thread or on the help cache's thread.
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
QString newWindowClickScript();
// The <meta> element that lets only newWindowClickScript() run in a document.
QString contentSecurityPolicy();

// mandoc's working directory for a page: two levels above the page file ("/usr/share/man" for
// "/usr/share/man/man1/ls.1").
QString formatterDirectory(const QString &pagePath);
QStringList htmlFormatterArguments(const QString &pagePath);

} // namespace ManPageRenderer
} // namespace Lectorin
