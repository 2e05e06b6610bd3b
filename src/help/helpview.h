// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>

class QAction;
class QTreeWidget;
class QWebEngineView;

namespace Lectorin {

class HelpController;

// The "Lectorin Help" window: the book's chapters in a sidebar beside the page they select, with Back and
// Forward, or a notice when this copy has no help pages.
class HelpView : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr QSize kDefaultSize { 920, 640 };

    explicit HelpView(HelpController *controller, QWidget *parent = nullptr);
    ~HelpView() override;

    QTreeWidget *sidebar() const { return m_sidebar; }
    // Null while the help pages are missing.
    QWebEngineView *webView() const { return m_webView; }
    QAction *backAction() const { return m_backAction; }
    QAction *forwardAction() const { return m_forwardAction; }

protected:
    void changeEvent(QEvent *event) override;

private:
    void buildSidebar();
    QWidget *buildWebView();
    void showContextMenu(const QPoint &position);
    void selectSlug(const QString &slug);
    void applyAppearance();

    HelpController *m_controller;
    QTreeWidget *m_sidebar = nullptr;
    QWebEngineView *m_webView = nullptr;
    QAction *m_backAction = nullptr;
    QAction *m_forwardAction = nullptr;
};

} // namespace Lectorin
