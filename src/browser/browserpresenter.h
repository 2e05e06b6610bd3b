// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "render/exportdata.h"

#include <QString>

#include <functional>

class QWebEnginePage;

namespace Lectorin {

// The window services a browser model asks for: alerts, the beep, the save panel and the print dialog. The
// windows supply message boxes and dialogs on their host window; tests supply a recorder.
class BrowserPresenter
{
public:
    virtual ~BrowserPresenter() = default;

    virtual void showAlert(const QString &message, const QString &informativeText) = 0;
    virtual void beep() = 0;
    // The file an export is written to, with the format's extension; empty when the user cancels.
    virtual QString chooseExportFile(const QString &proposedName, ExportFormat format) = 0;
    struct ExportChoice
    {
        QString filePath;
        bool includeHighlights = false;
    };
    // The same with the choice to include the page's highlights, off unless the user turns it on; a
    // presenter that does not offer it asks chooseExportFile.
    virtual ExportChoice chooseExport(const QString &proposedName, ExportFormat format)
    {
        return { chooseExportFile(proposedName, format) };
    }
    // Prints `page`, which holds the loaded document, after the print dialog; `finished` runs when the job is
    // over or was cancelled.
    virtual void print(QWebEnginePage *page, std::function<void()> finished) = 0;
};

} // namespace Lectorin
