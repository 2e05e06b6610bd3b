// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/mainwindow.h"

#include "browser/browsermodel.h"
#include "ui/explanationview.h"
#include "ui/lectorincommands.h"
#include "ui/pagepreviewview.h"
#include "ui/sidebarview.h"
#include "ui/windowplacement.h"

#include <QEvent>
#include <QLineEdit>
#include <QSettings>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QWebEnginePage>

namespace Lectorin {
namespace {

constexpr int kSizeSaveDelayMilliseconds = 400;

template<typename Tab>
QList<Tab *> tabsOf(const QTabWidget *tabs)
{
    QList<Tab *> found;
    for (int i = 0; i < tabs->count(); ++i) {
        if (auto *tab = qobject_cast<Tab *>(tabs->widget(i)))
            found.append(tab);
    }
    return found;
}

} // namespace

MainWindow::MainWindow(const ContentView::Services &services, QWidget *parent)
    : QMainWindow(parent)
    , m_services(services)
    , m_tabs(new QTabWidget(this))
    , m_sizeSaver(new QTimer(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    resize(900, 525);
    m_tabs->setAccessibleName(tr("Tabs"));
    m_tabs->setDocumentMode(true);
    m_tabs->setTabsClosable(true);
    m_tabs->setMovable(true);
    m_tabs->setTabBarAutoHide(true);
    m_tabs->tabBar()->setExpanding(false);
    m_tabs->tabBar()->setElideMode(Qt::ElideRight);
    setCentralWidget(m_tabs);
    m_commands = new LectorinCommands(this);

    connect(m_tabs, &QTabWidget::currentChanged, this, [this] {
        updateTitle();
        emit currentTabChanged(currentTab());
    });
    connect(m_tabs, &QTabWidget::tabCloseRequested, this, [this](int index) {
        QWidget *tab = m_tabs->widget(index);
        m_tabs->removeTab(index);
        tab->deleteLater();
        if (m_tabs->count() == 0)
            close();
    });
    // Qt reports no end of a live resize; the size is kept once the window has been still for a moment.
    m_sizeSaver->setSingleShot(true);
    m_sizeSaver->setInterval(kSizeSaveDelayMilliseconds);
    connect(m_sizeSaver, &QTimer::timeout, this, [this] {
        if (isMaximized() || isFullScreen() || !m_services.settings)
            return;
        WindowPlacement::rememberSize(*m_services.settings, size());
    });
    updateTitle();
}

ContentView *MainWindow::addTab(std::optional<QString> pageID)
{
    auto *tab = new ContentView(m_services, std::move(pageID), this, m_tabs);
    const int index = m_tabs->addTab(tab, tab->title());
    connect(tab, &ContentView::titleChanged, this, [this, tab](const QString &title) {
        const int at = m_tabs->indexOf(tab);
        if (at >= 0) {
            m_tabs->setTabText(at, title);
            m_tabs->setTabToolTip(at, title);
        }
        if (tab == currentTab())
            updateTitle();
    });
    connect(tab->browser(), &BrowserModel::newTabRequested, this,
        [this](const QString &id) { m_tabs->setCurrentWidget(addTab(id)); });
    connect(tab->browser(), &BrowserModel::explainRequested, this, &MainWindow::addExplanationTab);
    connect(tab->browser(), &BrowserModel::newWindowRequested, this,
        [this](const QString &id) { emit newWindowRequested(this, id); });
    m_tabs->setCurrentIndex(index);
    // A new tab or window is for choosing a page: typing goes to its filter.
    tab->sidebar()->filterField()->setFocus(Qt::OtherFocusReason);
    return tab;
}

PagePreviewView *MainWindow::addPreviewTab(const QString &path)
{
    auto *preview = new PagePreviewView(path, m_services, m_tabs);
    const int index = m_tabs->addTab(preview, preview->title());
    m_tabs->setTabToolTip(index, preview->path());
    // A page its links name opens in a browsing tab: the preview shows only its file.
    connect(preview, &PagePreviewView::manPageRequested, this, &MainWindow::openInNewTab);
    m_tabs->setCurrentIndex(index);
    return preview;
}

ExplanationView *MainWindow::addExplanationTab(const QString &commandLine)
{
    auto *explanation = new ExplanationView(commandLine, m_services, m_tabs);
    const int index = m_tabs->addTab(explanation, explanation->title());
    m_tabs->setTabToolTip(index, explanation->line());
    // A definition opens in a browsing tab beside the explanation, which stays for the next word.
    connect(explanation, &ExplanationView::manPageRequested, this, &MainWindow::openInNewTab);
    m_tabs->setCurrentIndex(index);
    return explanation;
}

void MainWindow::openInNewTab(const QUrl &url)
{
    addTab(std::nullopt)->browser()->page()->load(url);
}

ContentView *MainWindow::currentTab() const
{
    return qobject_cast<ContentView *>(m_tabs->currentWidget());
}

QList<ContentView *> MainWindow::tabs() const
{
    return tabsOf<ContentView>(m_tabs);
}

QList<PagePreviewView *> MainWindow::previewTabs() const
{
    return tabsOf<PagePreviewView>(m_tabs);
}

void MainWindow::closeCurrentTab()
{
    if (m_tabs->count() <= 1) {
        close();
        return;
    }
    emit m_tabs->tabCloseRequested(m_tabs->currentIndex());
}

void MainWindow::updateTitle()
{
    if (const ContentView *tab = currentTab())
        setWindowTitle(tab->title());
    else if (const auto *preview = qobject_cast<PagePreviewView *>(m_tabs->currentWidget()))
        setWindowTitle(preview->title());
    else
        setWindowTitle(QStringLiteral("Lectorin"));
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (isVisible())
        m_sizeSaver->start();
}

void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        emit activated(this);
        emit currentTabChanged(currentTab());
    }
    // Minimising and full screen say nothing about how the next window should open.
    if (event->type() == QEvent::WindowStateChange && isVisible() && !isMinimized() && !isFullScreen()
        && m_services.settings)
        WindowPlacement::rememberMaximized(*m_services.settings, isMaximized());
}

} // namespace Lectorin
