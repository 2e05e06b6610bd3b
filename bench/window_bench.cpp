// SPDX-License-Identifier: GPL-3.0-or-later
// A click in the sidebar of the real window, timed to the page's "page loaded", against the render of the
// same page (resolve, mandoc, document) in the same process, and against a bare view loading the same
// document from a file and from a scheme handler that answers at once. The program's engine flags apply. Run
// under an X server (xvfb-run) or offscreen:
//   lectorin-window-bench [--runs N] [REF…]      (default: ls(1) bash(1), 7 runs each)
#include "engineload.h"

#include "app/engineflags.h"
#include "browser/browsermodel.h"
#include "catalogue/appmodel.h"
#include "platform/systemappearance.h"
#include "render/manpagerenderer.h"
#include "render/manurl.h"
#include "themes/colorschemestore.h"
#include "themes/manpagepalette.h"
#include "ui/contentview.h"
#include "ui/lectorinapp.h"
#include "ui/mainwindow.h"
#include "ui/sidebarview.h"
#include "web/manschemehandler.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFutureWatcher>
#include <QLineEdit>
#include <QListView>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QBuffer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <QWebEngineView>
#include <QFile>
#include <QUrl>

#include <algorithm>
#include <cstdio>

using namespace Lectorin;
using EngineLoad::timedLoad;
using EngineLoad::waitUntil;

namespace {

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

// Runs the event loop until `done` holds or the time is up.
struct Rendered
{
    double milliseconds;
    QString document;
};

Rendered renderOnce(AppModel &model, const PageReference &reference)
{
    QElapsedTimer timer;
    timer.start();
    const std::optional<ManPage> page = resolveManReference(model, reference);
    const std::optional<TMTheme> &theme = ColorSchemeStore::shared().theme();
    const std::optional<ManPagePalette> palette
        = theme ? std::optional(ManPagePalette::fromTheme(*theme)) : std::nullopt;
    QFutureWatcher<ManPageRenderer::RenderResult> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(ManPageRenderer::render(*page, palette, model.fontScale()));
    if (!watcher.isFinished())
        loop.exec();
    return { double(timer.nsecsElapsed()) / 1e6, watcher.result().document };
}

// The engine's share when a document comes through a scheme handler, as Lectorin's pages do: the handler
// answers with the finished document at once.
const QByteArray kDocumentScheme = QByteArrayLiteral("x-lectorin-bench");

class DocumentSchemeHandler : public QWebEngineUrlSchemeHandler
{
public:
    QByteArray document;

    void requestStarted(QWebEngineUrlRequestJob *job) override
    {
        auto *body = new QBuffer(job);
        body->setData(document);
        body->open(QIODevice::ReadOnly);
        job->reply(QByteArrayLiteral("text/html"), body);
    }
};

void registerDocumentScheme()
{
    QWebEngineUrlScheme scheme(kDocumentScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::LocalScheme);
    QWebEngineUrlScheme::registerScheme(scheme);
}

// Types the page's name into the filter, clicks its row and waits for the page to load.
std::optional<double> clickMilliseconds(ContentView *tab, const ManPage &page)
{
    auto *filter = tab->sidebar()->findChild<QLineEdit *>();
    QListView *list = nullptr;
    for (QListView *candidate : tab->sidebar()->findChildren<QListView *>()) {
        if (candidate->accessibleName() == QLatin1String("Commands"))
            list = candidate;
    }
    if (!filter || !list)
        return std::nullopt;
    filter->setText(page.name);
    QModelIndex row;
    for (int at = 0; at < list->model()->rowCount() && !row.isValid(); ++at) {
        const QModelIndex index = list->model()->index(at, 0);
        if (index.data(Qt::UserRole + 2).toString() == page.id())
            row = index;
    }
    if (!row.isValid())
        return std::nullopt;
    list->scrollTo(row);
    QTest::qWait(50); // let the list lay out and paint before the click, as for a person
    bool loaded = false;
    double elapsed = 0;
    QElapsedTimer timer;
    const QMetaObject::Connection connection
        = QObject::connect(tab->browser()->page(), &QWebEnginePage::loadFinished, [&](bool ok) {
              if (ok && tab->browser()->page()->url().path().endsWith(page.name)) {
                  loaded = true;
                  elapsed = double(timer.nsecsElapsed()) / 1e6;
              }
          });
    timer.start();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(row).center());
    const bool arrived = waitUntil([&] { return loaded; });
    QObject::disconnect(connection);
    return arrived ? std::optional(elapsed) : std::nullopt;
}

} // namespace

int main(int argc, char *argv[])
{
    EngineFlags::shareOneRenderer();
    registerManUrlScheme();
    registerDocumentScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    QStringList references = QApplication::arguments().mid(1);
    int runs = 7;
    if (references.size() >= 2 && references.first() == QLatin1String("--runs")) {
        runs = std::max(1, references.at(1).toInt());
        references = references.mid(2);
    }
    if (references.isEmpty())
        references = { QStringLiteral("ls(1)"), QStringLiteral("bash(1)") };

    QTemporaryDir settingsFolder;
    QSettings settings(settingsFolder.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
    SystemAppearance appearance;
    LectorinApp app(&settings, &appearance);
    MainWindow *window = app.openWindow(std::nullopt, std::nullopt);
    ContentView *tab = window->currentTab();
    if (!waitUntil([&] { return app.model().indexState() == AppModel::IndexState::ready; }, 60000)) {
        std::fputs("the catalogue did not load\n", stderr);
        return 1;
    }
    QTest::qWait(500); // the help pages and the first paints settle

    QList<ManPage> pages;
    for (const QString &text : std::as_const(references)) {
        const std::optional<PageReference> reference = parseReference(text);
        const std::optional<ManPage> page
            = reference ? resolveManReference(app.model(), *reference) : std::nullopt;
        if (!page) {
            std::fprintf(stderr, "no page for %s\n", qPrintable(text));
            return 1;
        }
        pages.append(*page);
    }
    DocumentSchemeHandler documents;
    QWebEngineProfile::defaultProfile()->installUrlSchemeHandler(kDocumentScheme, &documents);
    QWebEngineView bareView;
    bareView.resize(660, 480);
    bareView.setHtml(QString());
    bareView.show();
    QList<QList<double>> clicks(pages.size()), renders(pages.size()), bareLoads(pages.size()),
        schemeLoads(pages.size());
    // Alternating pages, so that every click is a real navigation; the first round is not counted.
    for (int run = 0; run <= runs; ++run) {
        for (qsizetype i = 0; i < pages.size(); ++i) {
            const std::optional<double> click = clickMilliseconds(tab, pages.at(i));
            QTest::qWait(300); // the page's own scripts after the load (outline, inferred links) finish first
            const Rendered render = renderOnce(app.model(), { pages.at(i).name, pages.at(i).section });
            const QString file = settingsFolder.filePath(pages.at(i).name + QStringLiteral(".html"));
            QFile out(file);
            if (!out.open(QIODevice::WriteOnly) || out.write(render.document.toUtf8()) < 0)
                return 1;
            out.close();
            const std::optional<double> bareLoad = timedLoad(bareView, QUrl::fromLocalFile(file));
            QTest::qWait(300);
            documents.document = render.document.toUtf8();
            const std::optional<double> schemeLoad
                = timedLoad(bareView, QUrl(QString::fromLatin1(kDocumentScheme) + u':' + pages.at(i).name));
            QTest::qWait(300);
            if (!click || !bareLoad || !schemeLoad) {
                std::fprintf(stderr, "the click on %s did not load it\n", qPrintable(pages.at(i).id()));
                return 1;
            }
            if (run > 0) {
                clicks[i].append(*click);
                renders[i].append(render.milliseconds);
                bareLoads[i].append(*bareLoad);
                schemeLoads[i].append(*schemeLoad);
            }
        }
    }
    for (qsizetype i = 0; i < pages.size(); ++i) {
        const double click = median(clicks.at(i));
        const double render = median(renders.at(i));
        const double bareLoad = median(bareLoads.at(i));
        std::printf(
            "%-10s click-to-loaded-ms %7.1f  render-ms %6.1f  difference %+7.1f  engine-load-ms %6.1f  "
            "rest %+7.1f  scheme-load-ms %6.1f  (medians of %lld)\n",
            qPrintable(pages.at(i).qualifiedName()), click, render, click - render, bareLoad,
            click - render - bareLoad, median(schemeLoads.at(i)), qlonglong(clicks.at(i).size()));
    }
    return 0;
}
