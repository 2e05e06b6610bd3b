// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/exportdata.h"

#include "catalogue/processrunner.h"
#include "render/commandhelp.h"
#include "render/infopagerenderer.h"
#include "render/rtfwriter.h"

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTextDocument>
#include <QThread>
#include <QtConcurrent>

namespace Lectorin {

QString exportFormatTitle(ExportFormat format)
{
    switch (format) {
    case ExportFormat::pdf:
        return QStringLiteral("PDF");
    case ExportFormat::pdfSinglePage:
        return QStringLiteral("PDF (Single Page)");
    case ExportFormat::html:
        return QStringLiteral("HTML");
    case ExportFormat::rtf:
        return QStringLiteral("RTF");
    case ExportFormat::plainText:
        return QStringLiteral("Plain Text");
    }
    return QString();
}

QString exportFormatSuffix(ExportFormat format)
{
    switch (format) {
    case ExportFormat::pdf:
    case ExportFormat::pdfSinglePage:
        return QStringLiteral("pdf");
    case ExportFormat::html:
        return QStringLiteral("html");
    case ExportFormat::rtf:
        return QStringLiteral("rtf");
    case ExportFormat::plainText:
        return QStringLiteral("txt");
    }
    return QString();
}

namespace ManPageRenderer {
namespace {

// The rich-text importer understands neither the base stylesheet's system colours nor its relative sizes, and
// reads some of them wrongly; it gets this stand-in, with the values of the light appearance every export
// uses, so the file keeps the page's look.
const QString kRichTextStyleSheet = QStringLiteral(
    "code, kbd, samp, pre, dt { font-family: monospace; }\n"
    "h1, h2, h3 { font-weight: bold; font-size: medium; margin-top: 20px; margin-bottom: 6px; }\n"
    "a { color: #0000ee; text-decoration: none; }\n"
    "a.permalink { color: #000000; }\n"
    "table.head, table.foot { color: #737373; }\n"
    ".lectorin-error, .lectorin-help-note { color: #595959; }");

ExportResult failedRender(const RenderResult &rendered)
{
    return { QByteArray(), rendered.failure };
}

ExportResult plainTextFromTerminalOutput(const ProcessRunner::RunResult &run)
{
    if (!run.started())
        return { QByteArray(), run.startError };
    if (formatterGaveUp(run.exitStatus))
        return ExportResult::failed(ExportError::renderFailed);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(run.output);
    if (decoder.hasError() || text.isEmpty())
        return ExportResult::failed(ExportError::renderFailed);
    return { CommandHelp::removeBackspaces(text).toUtf8(), std::nullopt };
}

} // namespace

QString description(ExportError error)
{
    switch (error) {
    case ExportError::renderFailed:
        return QStringLiteral("The manual page could not be rendered.");
    case ExportError::htmlConversionFailed:
        return QStringLiteral("The manual page could not be converted for rich text.");
    case ExportError::rtfConversionFailed:
        return QStringLiteral("The RTF data could not be generated.");
    }
    return QString();
}

QFuture<ExportResult> htmlData(const ManPage &page, const RenderTools &tools)
{
    return render(page, std::nullopt, 1.0, tools).then([](const RenderResult &rendered) {
        return rendered.succeeded() ? ExportResult { rendered.document.toUtf8(), std::nullopt }
                                    : failedRender(rendered);
    });
}

QFuture<ExportResult> rtfData(const ManPage &page, const RenderTools &tools)
{
    return render(page, std::nullopt, 1.0, tools)
        .then(QCoreApplication::instance(), [](const RenderResult &rendered) {
            return rendered.succeeded() ? rtfFromHTML(rendered.document) : failedRender(rendered);
        });
}

QFuture<ExportResult> plainTextData(const ManPage &page, const RenderTools &tools)
{
    if (page.isInfoNode()) {
        return QtConcurrent::run([page] {
            const std::optional<QString> text = InfoPageRenderer::plainText(page);
            return text ? ExportResult { text->toUtf8(), std::nullopt }
                        : ExportResult::failed(ExportError::renderFailed);
        });
    }
    if (page.isHelpPage()) {
        return CommandHelp::helpOutput(page.path(), tools.helpCache)
            .then([](const CommandHelp::Output &output) {
                if (output.text.isEmpty())
                    return ExportResult::failed(ExportError::renderFailed);
                return ExportResult { output.text.toUtf8(), std::nullopt };
            });
    }
    return runFormatter(page.path(), textFormatterArguments(page.path()), tools)
        .then(plainTextFromTerminalOutput);
}

QFuture<ExportResult> exportData(const ManPage &page, ExportFormat format, const RenderTools &tools)
{
    switch (format) {
    case ExportFormat::html:
        return htmlData(page, tools);
    case ExportFormat::rtf:
        return rtfData(page, tools);
    case ExportFormat::plainText:
        return plainTextData(page, tools);
    case ExportFormat::pdf:
    case ExportFormat::pdfSinglePage:
        break;
    }
    return QtFuture::makeReadyFuture(ExportResult::failed(ExportError::renderFailed));
}

ExportResult rtfFromHTML(const QString &html)
{
    // Rich text needs the font database, which exists only with a GUI application and on its thread.
    const QCoreApplication *application = QCoreApplication::instance();
    if (!qobject_cast<const QGuiApplication *>(application)
        || QThread::currentThread() != application->thread())
        return ExportResult::failed(ExportError::htmlConversionFailed);
    QTextDocument document;
    QFont defaultFont(QStringLiteral("sans-serif"));
    defaultFont.setPixelSize(int(kBaseFontSize));
    document.setDefaultFont(defaultFont);
    QString importable = withoutCopyButtons(html);
    importable.replace(baseStylesheet(), kRichTextStyleSheet);
    document.setHtml(importable);
    if (document.isEmpty() && !html.isEmpty())
        return ExportResult::failed(ExportError::htmlConversionFailed);
    QByteArray rtf = RtfWriter::write(document);
    if (rtf.isEmpty())
        return ExportResult::failed(ExportError::rtfConversionFailed);
    return { std::move(rtf), std::nullopt };
}

QStringList textFormatterArguments(const QString &pagePath)
{
    return { QStringLiteral("-T"), QStringLiteral("utf8"), pagePath };
}

std::optional<QString> writeExportFile(const QString &filePath, const QByteArray &data)
{
    // A device or pipe cannot be replaced by renaming (and must not be): write to it directly.
    const QFileInfo target(filePath);
    if (target.exists() && !target.isFile()) {
        QFile file(filePath);
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.flush())
            return file.errorString();
        return std::nullopt;
    }
    // Through a temporary file renamed over the target, so a failed write leaves an existing file as it was.
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        return file.errorString();
    return std::nullopt;
}

} // namespace ManPageRenderer
} // namespace Lectorin
