// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/contentview.h"

#include <QUrl>
#include <QWidget>

class QWebEnginePage;
class QWebEngineView;

namespace Lectorin {

// A tab that explains a command line: each word linked to the option or page that defines it, with the
// definition beside it. The pages are read off the GUI thread; links open in a browsing tab at the
// definition.
class ExplanationView : public QWidget
{
    Q_OBJECT

public:
    ExplanationView(const QString &line, const ContentView::Services &services, QWidget *parent = nullptr);
    ~ExplanationView() override;

    const QString &line() const { return m_line; }
    // The tab's title: the command line, shortened.
    QString title() const;
    QWebEnginePage *page() const { return m_page; }
    bool isExplained() const { return m_explained; }

Q_SIGNALS:
    // The explanation is shown.
    void explained();
    void manPageRequested(const QUrl &url);

private:
    QString m_line;
    QWebEnginePage *m_page;
    QWebEngineView *m_view;
    bool m_explained = false;
};

} // namespace Lectorin
