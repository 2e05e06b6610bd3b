// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/pagepreviewview.h"

#include "browser/scriptcall.h"
#include "catalogue/appmodel.h"
#include "render/manlint.h"
#include "render/manurl.h"
#include "render/pagefilewatcher.h"
#include "render/pagesource.h"
#include "themes/colorschemestore.h"
#include "ui/pageveil.h"
#include "web/manschemehandler.h"
#include "web/pagecolorscheme.h"
#include "web/paintreportingpage.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <functional>
#include <utility>

namespace Lectorin {
namespace {

// The preview's navigation policy: its own file loads (section links included), man page links go to a
// browsing tab, web and mail links to the desktop, anything else stays where it is.
class PreviewPage : public PaintReportingPage
{
public:
    PreviewPage(QWebEngineProfile *profile, QString path, std::function<void(const QUrl &)> openManPage,
        QObject *parent)
        : PaintReportingPage(profile, parent)
        , m_path(std::move(path))
        , m_openManPage(std::move(openManPage))
    { }

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType, bool isMainFrame) override
    {
        if (url.scheme() == kPageFileScheme)
            return pageFilePath(url) == m_path;
        if (!isMainFrame)
            return false;
        if (isManPageLink(url)) {
            if (const std::optional<PageReference> reference = parseManURL(url)) {
                if (const std::optional<QUrl> target = manURL(reference->name, reference->section))
                    m_openManPage(*target);
            }
            return false;
        }
        const QString scheme = url.scheme().toLower();
        if (scheme == u"http" || scheme == u"https" || scheme == u"mailto")
            QDesktopServices::openUrl(url);
        return false;
    }

    // A Ctrl- or middle-click reaches acceptNavigationRequest through the page's own script already.
    QWebEnginePage *createWindow(WebWindowType) override { return nullptr; }

private:
    QString m_path;
    std::function<void(const QUrl &)> m_openManPage;
};

QString levelTitle(const QString &level)
{
    static const QHash<QString, QString> titles {
        { QStringLiteral("SYSERR"), QStringLiteral("System error") },
        { QStringLiteral("BADARG"), QStringLiteral("Bad argument") },
        { QStringLiteral("UNSUPP"), QStringLiteral("Unsupported") },
        { QStringLiteral("ERROR"), QStringLiteral("Error") },
        { QStringLiteral("WARNING"), QStringLiteral("Warning") },
        { QStringLiteral("STYLE"), QStringLiteral("Style") },
    };
    return titles.value(level, level);
}

const QString kScrollToHeadingScript = QStringLiteral(R"js(
const headings = document.querySelectorAll("h1.Sh, h2.Sh, h2.Ss, h3.Ss");
if (index < 0 || index >= headings.length) {
    window.scrollTo(0, 0);
    return -1;
}
headings[index].scrollIntoView();
return index;)js");

} // namespace

PagePreviewView::PagePreviewView(const QString &path, const ContentView::Services &services, QWidget *parent)
    : QWidget(parent)
    , m_path(QFileInfo(path).absoluteFilePath())
    , m_url(pageFileURL(m_path))
    , m_services(services)
    , m_watcher(new PageFileWatcher(m_path, this))
{
    QWebEngineProfile *profile = services.profile ? services.profile : QWebEngineProfile::defaultProfile();
    ManSchemeHandler::installOn(profile, services.app);
    m_page = new PreviewPage(
        profile, m_path, [this](const QUrl &url) { emit manPageRequested(url); }, this);
    m_view = new QWebEngineView;
    m_view->setPage(m_page);
    new PageVeil(m_view);
    setDarkAppearance(services.isDarkAppearance && services.isDarkAppearance());

    auto *lintArea = new QWidget;
    m_lintSummary = new QLabel;
    m_lintSummary->setContentsMargins(6, 4, 6, 0);
    m_lintList = new QTreeWidget;
    m_lintList->setRootIsDecorated(false);
    m_lintList->setUniformRowHeights(true);
    m_lintList->setHeaderLabels({ tr("Level"), tr("Line"), tr("Message") });
    m_lintList->header()->setStretchLastSection(true);
    m_lintList->header()->setSectionResizeMode(levelColumn, QHeaderView::ResizeToContents);
    m_lintList->header()->setSectionResizeMode(lineColumn, QHeaderView::ResizeToContents);
    auto *lintLayout = new QVBoxLayout(lintArea);
    lintLayout->setContentsMargins(0, 0, 0, 0);
    lintLayout->setSpacing(2);
    lintLayout->addWidget(m_lintSummary);
    lintLayout->addWidget(m_lintList);

    auto *splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(m_view);
    splitter->addWidget(lintArea);
    splitter->setStretchFactor(0, 1);
    splitter->setChildrenCollapsible(false);
    splitter->setSizes({ 420, 130 });
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    connect(m_lintList, &QTreeWidget::itemActivated, this,
        [this](QTreeWidgetItem *item) { scrollToSourceLine(item->data(lineColumn, Qt::UserRole).toInt()); });
    connect(m_lintList, &QTreeWidget::itemClicked, this,
        [this](QTreeWidgetItem *item) { scrollToSourceLine(item->data(lineColumn, Qt::UserRole).toInt()); });
    connect(m_page, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        if (!ok)
            return;
        m_hasRendered = true;
        const double y = std::exchange(m_restoreScrollY, 0);
        ScriptCall::call(m_page, QStringLiteral("if (y > 0) window.scrollTo(0, y); return window.scrollY;"),
            { { QStringLiteral("y"), y } }, this, [this](const QVariant &) { emit rendered(); });
    });
    connect(m_watcher, &PageFileWatcher::changed, this, &PagePreviewView::refresh);
    if (services.colorScheme)
        connect(services.colorScheme, &ColorSchemeStore::generationChanged, this, &PagePreviewView::refresh);
    if (services.app)
        connect(services.app, &AppModel::fontScaleChanged, this, &PagePreviewView::refresh);
    refresh();
}

PagePreviewView::~PagePreviewView()
{
    // The view shows the page; it goes first.
    delete m_view;
}

QString PagePreviewView::title() const
{
    return QFileInfo(m_path).fileName();
}

void PagePreviewView::refresh()
{
    checkLint();
    // A re-render often follows a theme change: the view shows the new background until the first frame.
    updatePageBackground();
    if (!m_hasRendered) {
        m_page->load(m_url);
        return;
    }
    ScriptCall::call(m_page, QStringLiteral("return window.scrollY;"), {}, this, [this](const QVariant &y) {
        m_restoreScrollY = y.toDouble();
        m_page->load(m_url);
    });
}

void PagePreviewView::checkLint()
{
    const quint64 generation = ++m_lintGeneration;
    if (const std::optional<QString> problem = PageSource::problem(m_path)) {
        showLintResult(tr("Not checked: the file can\u2019t be shown."), {});
        return;
    }
    ManLint::check(m_path).then(this, [this, generation](const ManLint::Result &result) {
        if (generation != m_lintGeneration)
            return;
        if (result.failure) {
            showLintResult(tr("mandoc could not check the file: %1").arg(*result.failure), {});
            return;
        }
        QList<QTreeWidgetItem *> rows;
        for (const ManLint::Message &message : result.messages) {
            auto *row = new QTreeWidgetItem({ levelTitle(message.level),
                message.line > 0 ? QString::number(message.line) : QString(), message.text });
            row->setData(lineColumn, Qt::UserRole, message.line);
            row->setToolTip(messageColumn, message.text);
            rows.append(row);
        }
        const QString count = rows.isEmpty() ? tr("no messages")
            : rows.size() == 1               ? tr("1 message")
                                             : tr("%1 messages").arg(rows.size());
        const QString summary = u"mandoc -T lint: " + count
            + (rows.isEmpty() ? QString() : tr(" \u2014 choose one to go to its section"));
        showLintResult(summary, rows);
    });
}

void PagePreviewView::showLintResult(const QString &summary, const QList<QTreeWidgetItem *> &rows)
{
    m_lintSummary->setText(summary);
    m_lintList->clear();
    m_lintList->addTopLevelItems(rows);
    emit lintChecked();
}

void PagePreviewView::scrollToSourceLine(int line)
{
    QFile file(m_path);
    if (PageSource::problem(m_path) || !file.open(QIODevice::ReadOnly))
        return;
    const std::optional<int> heading = PageSource::headingIndexBefore(file.readAll(), line);
    ScriptCall::call(
        m_page, kScrollToHeadingScript, { { QStringLiteral("index"), heading.value_or(-1) } }, this);
}

void PagePreviewView::setDarkAppearance(bool dark)
{
    m_isDarkAppearance = dark;
    PageColorScheme::apply(m_page, dark);
    updatePageBackground();
}

void PagePreviewView::updatePageBackground()
{
    m_page->setBackgroundColor(
        PageColorScheme::background(ColorSchemeStore::shared().theme(), m_isDarkAppearance));
}

} // namespace Lectorin
