// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "browser/browserpresenter.h"

namespace Lectorin {

// A window that answers nothing: for tests that show pages but never alert, print or save.
class QuietPresenter : public BrowserPresenter
{
public:
    void showAlert(const QString &, const QString &) override { }
    void beep() override { }
    QString chooseExportFile(const QString &, ExportFormat) override { return QString(); }
    void print(QWebEnginePage *, std::function<void()> finished) override { finished(); }
};

} // namespace Lectorin
