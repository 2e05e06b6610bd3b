// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/windowpresenter.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardPaths>
#include <QWebEngineView>

namespace Lectorin {

void openMessageBox(QWidget *parent, QMessageBox::Icon icon, const QString &message,
    const QString &informativeText, Qt::WindowModality modality)
{
    auto *box
        = new QMessageBox(icon, QApplication::applicationDisplayName(), message, QMessageBox::Ok, parent);
    box->setInformativeText(informativeText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(modality);
    if (modality == Qt::NonModal)
        box->show();
    else
        box->open();
}

void WindowPresenter::showAlert(const QString &message, const QString &informativeText)
{
    openMessageBox(m_host ? m_host->window() : nullptr, QMessageBox::Information, message, informativeText,
        m_host ? Qt::WindowModal : Qt::ApplicationModal);
}

void WindowPresenter::beep()
{
    QApplication::beep();
}

QString WindowPresenter::chooseExportFile(const QString &proposedName, ExportFormat format)
{
    return chooseExport(proposedName, format).filePath;
}

BrowserPresenter::ExportChoice WindowPresenter::chooseExport(const QString &proposedName, ExportFormat format)
{
    const QString suffix = exportFormatSuffix(format);
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QFileDialog dialog(m_host ? m_host->window() : nullptr, QObject::tr("Export"),
        folder + u'/' + proposedName + u'.' + suffix,
        QStringLiteral("%1 (*.%2)").arg(exportFormatTitle(format), suffix));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    dialog.setWindowModality(Qt::WindowModal);
    // The desktop's own dialog takes no extra controls; Qt's does, in its grid under the file fields.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    auto *highlights = new QCheckBox(QObject::tr("Include highlights"), &dialog);
    highlights->setToolTip(QObject::tr("Mark the page's highlights in the exported file"));
    if (auto *grid = qobject_cast<QGridLayout *>(dialog.layout()))
        grid->addWidget(highlights, grid->rowCount(), 0, 1, grid->columnCount());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return { dialog.selectedFiles().constFirst(), highlights->isChecked() };
}

void WindowPresenter::print(QWebEnginePage *page, std::function<void()> finished)
{
    // The printer's own resolution: anything the engine has to draw as an image is drawn no finer than it
    // prints.
    auto *printer = new QPrinter(QPrinter::PrinterResolution);
    QPrintDialog dialog(printer, m_host ? m_host->window() : nullptr);
    if (dialog.exec() != QDialog::Accepted) {
        delete printer;
        finished();
        return;
    }
    printOn(page, printer, [this, printer, finished](bool ok) {
        const QString file = printer->outputFileName();
        delete printer;
        if (!ok)
            showAlert(QObject::tr("The page couldn’t be printed."), file);
        finished();
    });
}

void WindowPresenter::printOn(QWebEnginePage *page, QPrinter *printer, std::function<void(bool)> finished)
{
    // Printing to a PDF file: the engine writes the file itself, text and lines as vectors. Its print to a
    // printer draws every page as an image.
    if (printer->outputFormat() == QPrinter::PdfFormat && !printer->outputFileName().isEmpty()) {
        QObject::connect(
            page, &QWebEnginePage::pdfPrintingFinished, page,
            [finished](const QString &, bool ok) { finished(ok); }, Qt::SingleShotConnection);
        page->printToPdf(printer->outputFileName(), printer->pageLayout(), printer->pageRanges());
        return;
    }
    // The page may belong to an off-screen exporter; a view of its own prints it.
    QWebEngineView *view = QWebEngineView::forPage(page);
    auto *ownView = view ? nullptr : new QWebEngineView;
    if (ownView) {
        ownView->setPage(page);
        view = ownView;
    }
    QObject::connect(
        view, &QWebEngineView::printFinished, view,
        [ownView, finished](bool ok) {
            if (ownView) {
                ownView->setPage(nullptr);
                ownView->deleteLater();
            }
            finished(ok);
        },
        Qt::SingleShotConnection);
    view->print(printer);
}

} // namespace Lectorin
