// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/manpageexporter.h"

#include "render/exportdata.h"
#include "web/pagecolorscheme.h"

#include <QFile>
#include <QLocale>
#include <QPageSize>
#include <QSizeF>
#include <QPointer>
#include <QUrl>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>

#include <cmath>

namespace Lectorin {
namespace {

// The engine prints 96 CSS pixels to the inch.
constexpr double kPointsPerCSSPixel = 0.75;

// Lays the document out at the page's width before measuring it, so the measured height is the printed one.
QString heightScript()
{
    return QStringLiteral("(function () {"
                          " const root = document.documentElement;"
                          " root.style.width = '%1px';"
                          " return root.scrollHeight;"
                          "})()")
        .arg(ManPageExporter::kWidth / kPointsPerCSSPixel, 0, 'f', 3);
}

} // namespace

ManPageExporter::ManPageExporter(RenderTools tools, QWebEngineProfile *profile, QObject *parent)
    : QObject(parent)
    , m_tools(std::move(tools))
    , m_page(profile ? new QWebEnginePage(profile, this) : new QWebEnginePage(this))
{
    PageColorScheme::apply(m_page, false);
    connect(m_page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo &info) {
        switch (info.status()) {
        case QWebEngineLoadingInfo::LoadSucceededStatus:
            finishLoad(std::nullopt);
            break;
        case QWebEngineLoadingInfo::LoadFailedStatus:
            finishLoad(
                info.errorString().isEmpty() ? tr("The page could not be loaded.") : info.errorString());
            break;
        case QWebEngineLoadingInfo::LoadStoppedStatus:
            finishLoad(tr("The page could not be loaded."));
            break;
        case QWebEngineLoadingInfo::LoadStartedStatus:
            break;
        }
    });
}

ManPageExporter::~ManPageExporter() = default;

QPageLayout ManPageExporter::defaultPageLayout()
{
    const QPageSize size(QLocale::system().measurementSystem() == QLocale::ImperialUSSystem
            ? QPageSize::Letter
            : QPageSize::A4);
    return QPageLayout(size, QPageLayout::Portrait, QMarginsF(36, 36, 36, 36), QPageLayout::Point);
}

void ManPageExporter::loadPage(const ManPage &page, Completion completion)
{
    ManPageRenderer::render(page, std::nullopt, 1.0, m_tools)
        .then(this, [this, completion = std::move(completion)](const ManPageRenderer::RenderResult &result) {
            if (!result.succeeded()) {
                completion(result.failure);
                return;
            }
            loadRendered(result.document, completion);
        });
}

void ManPageExporter::loadRendered(const QString &html, Completion completion)
{
    if (!m_documentDirectory.isValid()) {
        completion(m_documentDirectory.errorString());
        return;
    }
    const QString path = m_documentDirectory.filePath(QStringLiteral("page.html"));
    if (const std::optional<QString> failure = ManPageRenderer::writeExportFile(path, html.toUtf8())) {
        completion(failure);
        return;
    }
    if (m_loadCompletion)
        finishLoad(tr("The page could not be loaded."));
    m_loadCompletion = std::move(completion);
    m_page->load(QUrl::fromLocalFile(path));
}

void ManPageExporter::finishLoad(const std::optional<QString> &failure)
{
    if (Completion completion = std::exchange(m_loadCompletion, {}))
        completion(failure);
}

void ManPageExporter::exportPDF(const ManPage &page, const QString &filePath, Completion completion)
{
    loadPage(page, [this, filePath, completion](const std::optional<QString> &failure) {
        if (failure)
            completion(failure);
        else
            printLoadedPDF(filePath, completion);
    });
}

void ManPageExporter::exportSinglePagePDF(const ManPage &page, const QString &filePath, Completion completion)
{
    loadPage(page, [this, filePath, completion](const std::optional<QString> &failure) {
        if (failure)
            completion(failure);
        else
            printLoadedSinglePagePDF(filePath, completion);
    });
}

void ManPageExporter::printLoadedPDF(const QString &filePath, Completion completion)
{
    printPDF(defaultPageLayout(), filePath, std::move(completion));
}

void ManPageExporter::printLoadedSinglePagePDF(const QString &filePath, Completion completion)
{
    QPointer<ManPageExporter> self(this);
    m_page->runJavaScript(
        heightScript(), QWebEngineScript::MainWorld, [self, filePath, completion](const QVariant &result) {
            if (!self)
                return;
            bool isNumber = false;
            const double cssHeight = result.toDouble(&isNumber);
            if (!result.isValid()) {
                completion(tr("The page height could not be measured."));
                return;
            }
            double height = kDefaultHeight;
            if (isNumber && cssHeight > 0 && std::isfinite(cssHeight))
                height = std::ceil(cssHeight * kPointsPerCSSPixel) + 1;
            const QPageLayout layout(
                QPageSize(QSizeF(kWidth, height), QPageSize::Point, QString(), QPageSize::ExactMatch),
                QPageLayout::Portrait, QMarginsF(), QPageLayout::Point);
            self->printPDF(layout, filePath, completion);
        });
}

void ManPageExporter::loadedHTML(std::function<void(const std::optional<QString> &html)> done)
{
    m_page->runJavaScript(QStringLiteral("'<!DOCTYPE html>\\n' + document.documentElement.outerHTML"),
        QWebEngineScript::MainWorld, [self = QPointer<ManPageExporter>(this), done](const QVariant &result) {
            if (!self)
                return;
            done(result.typeId() == QMetaType::QString ? std::optional(result.toString()) : std::nullopt);
        });
}

void ManPageExporter::printPDF(const QPageLayout &layout, const QString &filePath, Completion completion)
{
    m_page->printToPdf(
        [filePath, completion](const QByteArray &pdf) {
            if (pdf.isEmpty()) {
                completion(tr("The PDF could not be created."));
                return;
            }
            completion(ManPageRenderer::writeExportFile(filePath, pdf));
        },
        layout);
}

} // namespace Lectorin
