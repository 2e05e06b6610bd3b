// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/manpage.h"
#include "render/manpagerenderer.h"

#include <QByteArray>
#include <QFuture>
#include <QString>

#include <optional>

namespace Lectorin {

// The export formats, in the order of the Export menu.
enum class ExportFormat
{
    pdf,
    pdfSinglePage,
    html,
    rtf,
    plainText
};

// "PDF", "PDF (Single Page)", "HTML", "RTF", "Plain Text".
QString exportFormatTitle(ExportFormat format);
// The file name extension of the format's file type, without the dot.
QString exportFormatSuffix(ExportFormat format);

namespace ManPageRenderer {

enum class ExportError
{
    renderFailed,
    htmlConversionFailed,
    rtfConversionFailed
};

QString description(ExportError error);

// The bytes of an export, or the sentence its alert shows.
struct ExportResult
{
    QByteArray data;
    std::optional<QString> failure;

    static ExportResult failed(ExportError error) { return { QByteArray(), description(error) }; }
    bool succeeded() const { return !failure.has_value(); }
    bool operator==(const ExportResult &) const = default;
};

// All exports render without theme and at zoom 1.0, so the file looks the same whatever a window shows.

// The HTML document as UTF-8.
QFuture<ExportResult> htmlData(const ManPage &page, const RenderTools &tools = {});
// The rendered document as RTF. The conversion runs on the application's main thread and needs a
// QGuiApplication.
QFuture<ExportResult> rtfData(const ManPage &page, const RenderTools &tools = {});
// mandoc's UTF-8 terminal output without overstriking, or a help page's cleaned help text.
QFuture<ExportResult> plainTextData(const ManPage &page, const RenderTools &tools = {});
// One of the three above by format; the PDF formats belong to the web view's exporter and fail here.
QFuture<ExportResult> exportData(const ManPage &page, ExportFormat format, const RenderTools &tools = {});

// Imports an HTML document as rich text and writes it as RTF. Main thread only.
ExportResult rtfFromHTML(const QString &html);
QStringList textFormatterArguments(const QString &pagePath);

// Writes an export in one piece, replacing an existing file; the file system's reason on failure.
std::optional<QString> writeExportFile(const QString &filePath, const QByteArray &data);

} // namespace ManPageRenderer
} // namespace Lectorin
