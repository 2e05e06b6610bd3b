// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "browser/browserpresenter.h"

#include <QPointer>
#include <QWidget>

namespace Lectorin {

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
    void print(QWebEnginePage *page, std::function<void()> finished) override;

private:
    QPointer<QWidget> m_host;
};

} // namespace Lectorin
