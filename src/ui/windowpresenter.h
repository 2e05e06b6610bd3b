// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "browser/browserpresenter.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

class QPrinter;

namespace Lectorin {

// An alert with the program's name as its title that deletes itself when closed; a non-modal one does not
// wait for an answer.
void openMessageBox(QWidget *parent, QMessageBox::Icon icon, const QString &message,
    const QString &informativeText, Qt::WindowModality modality);

// Alerts, the save dialog and the print dialog of one main window, modal to that window.
class WindowPresenter : public BrowserPresenter
{
public:
    explicit WindowPresenter(QWidget *hostWindow)
        : m_host(hostWindow)
    { }

    void showAlert(const QString &message, const QString &informativeText) override;
    void beep() override;
    QString chooseExportFile(const QString &proposedName, ExportFormat format) override;
    // The save dialog with an "Include highlights" box under its fields, off at first.
    ExportChoice chooseExport(const QString &proposedName, ExportFormat format) override;
    void print(QWebEnginePage *page, std::function<void()> finished) override;
    // Prints `page` on `printer` (a PDF file or a printer, as the print dialog set it up); `finished` says
    // whether it worked.
    static void printOn(QWebEnginePage *page, QPrinter *printer, std::function<void(bool)> finished);

private:
    QPointer<QWidget> m_host;
};

} // namespace Lectorin
