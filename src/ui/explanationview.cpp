// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/explanationview.h"

#include "catalogue/appmodel.h"
#include "catalogue/processrunner.h"
#include "render/commandlinesources.h"
#include "render/explanationpage.h"
#include "render/manurl.h"
#include "themes/colorschemestore.h"
#include "web/pagecolorscheme.h"

#include <QDesktopServices>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtConcurrent>

namespace Lectorin {
namespace {

// Its own document loads; man page links go to a browsing tab with their fragment, web links to the desktop.
class ExplanationPageView : public QWebEnginePage
{
public:
    ExplanationPageView(
        QWebEngineProfile *profile, std::function<void(const QUrl &)> openManPage, QObject *parent)
        : QWebEnginePage(profile, parent)
        , m_openManPage(std::move(openManPage))
    { }

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override
    {
        const QString scheme = url.scheme().toLower();
        if (scheme == u"data" || scheme == u"about")
            return type != NavigationTypeLinkClicked;
        if (!isMainFrame)
            return false;
        if (isManPageLink(url))
            m_openManPage(url);
        else if (scheme == u"http" || scheme == u"https" || scheme == u"mailto")
            QDesktopServices::openUrl(url);
        return false;
    }

    QWebEnginePage *createWindow(WebWindowType) override { return nullptr; }

private:
    std::function<void(const QUrl &)> m_openManPage;
};

std::optional<ManPagePalette> pagePalette(const ContentView::Services &services)
{
    const std::optional<TMTheme> &theme
        = services.colorScheme ? services.colorScheme->theme() : ColorSchemeStore::shared().theme();
    return theme ? std::optional(ManPagePalette::fromTheme(*theme)) : std::nullopt;
}

} // namespace

ExplanationView::ExplanationView(const QString &line, const ContentView::Services &services, QWidget *parent)
    : QWidget(parent)
    , m_line(line.simplified())
    , m_page(new ExplanationPageView(
          services.profile, [this](const QUrl &url) { emit manPageRequested(url); }, this))
    , m_view(new QWebEngineView(this))
{
    m_view->setPage(m_page);
    m_view->setAccessibleName(tr("Explanation of %1").arg(m_line));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    if (services.isDarkAppearance)
        PageColorScheme::apply(m_page, services.isDarkAppearance());

    const std::optional<ManPagePalette> colours = pagePalette(services);
    const double fontScale = services.app ? services.app->fontScale() : 1.0;
    m_page->setHtml(ExplanationPage::pendingHTML(m_line, colours, fontScale));
    const Catalogue catalogue = services.app ? services.app->catalogue() : Catalogue();
    const PageDescriptions descriptions = services.app ? services.app->descriptions() : PageDescriptions();
    // Reading a page's options renders it: off the GUI thread, on the pool that waits for processes.
    QtConcurrent::run(ProcessRunner::waitingPool(), [line = m_line, catalogue, descriptions] {
        return CommandLineExplainer::explain(
            line, CommandLineSources::fromCatalogue(catalogue, descriptions));
    }).then(this, [this, colours, fontScale](const QList<CommandLineExplainer::Part> &parts) {
        m_page->setHtml(ExplanationPage::html(m_line, parts, colours, fontScale));
        // The document of the wait, cut short by this one, finishes unsuccessfully if at all.
        connect(m_page, &QWebEnginePage::loadFinished, this, [this](bool ok) {
            if (!ok || m_explained)
                return;
            m_explained = true;
            emit explained();
        });
    });
}

ExplanationView::~ExplanationView()
{
    // The view shows the page; it goes first.
    delete m_view;
}

QString ExplanationView::title() const
{
    constexpr qsizetype kLongestTitle = 30;
    return m_line.size() > kLongestTitle ? m_line.left(kLongestTitle - 1) + u'…' : m_line;
}

} // namespace Lectorin
