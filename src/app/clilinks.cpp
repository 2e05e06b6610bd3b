// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/clicommands.h"

#include "app/climodel.h"
#include "browser/browsermodel.h"
#include "browser/browserpresenter.h"
#include "browser/pagelinks.h"
#include "browser/scriptcall.h"
#include "render/manurl.h"

#include <QEventLoop>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>

namespace Lectorin::Cli {
namespace {

// The page is shown for its links only: nothing to alert, print or save.
class SilentPresenter : public BrowserPresenter
{
public:
    void showAlert(const QString &, const QString &) override { }
    void beep() override { }
    QString chooseExportFile(const QString &, ExportFormat) override { return QString(); }
    void print(QWebEnginePage *, std::function<void()> finished) override { finished(); }
};

constexpr int kLoadTimeoutMilliseconds = 60000;

// Shows `page` in `browser` and returns its links once the after-load sequence added its own; nothing when
// the page did not load.
std::optional<QList<PageLinks::PageLink>> linksOf(BrowserModel &browser, const ManPage &page)
{
    QEventLoop loop;
    std::optional<QList<PageLinks::PageLink>> found;
    const auto list = [&] {
        ScriptCall::call(browser.page(), PageLinks::listScript(), {}, &loop, [&](const QVariant &result) {
            found = PageLinks::fromScriptResult(result);
            loop.quit();
        });
    };
    const QString id = page.id();
    if (browser.currentPageID() == id) {
        list();
    } else {
        QObject::connect(&browser, &BrowserModel::linksInferred, &loop, [&] {
            if (browser.currentPageID() == id)
                list();
        });
        QObject::connect(browser.page(), &QWebEnginePage::loadFinished, &loop, [&](bool ok) {
            if (!ok)
                loop.quit();
        });
        browser.show(id);
    }
    QTimer::singleShot(kLoadTimeoutMilliseconds, &loop, &QEventLoop::quit);
    loop.exec();
    return found;
}

} // namespace

int links(const Arguments &arguments)
{
    if (arguments.positional.isEmpty()) {
        std::fputs("usage: lectorin-cli links REF [REF…]\n", stderr);
        return 2;
    }
    LoadedModel loaded(arguments);
    int status = 0;
    QList<ManPage> pages;
    for (const QString &text : arguments.positional) {
        const std::optional<PageReference> reference = referenceFrom(text);
        const std::optional<ManPage> page
            = reference ? resolveManReference(loaded.model(), *reference) : std::nullopt;
        if (page)
            pages.append(*page);
        else if (reference)
            printNoEntry(reference->name);
        else
            printText(u"Malformed man page reference: " + text + u'\n', stderr);
        status = page ? status : 1;
    }
    if (pages.isEmpty())
        return status;

    // Off the record: nothing of the run is kept. Declared first so that it outlives the page.
    QWebEngineProfile profile;
    SilentPresenter presenter;
    BrowserModel browser(&loaded.model(), &presenter, BrowserOptions { std::nullopt, &profile, {} });
    // With several pages, each line says which page it belongs to.
    const bool several = arguments.positional.size() > 1;
    for (const ManPage &page : std::as_const(pages)) {
        const std::optional<QList<PageLinks::PageLink>> found = linksOf(browser, page);
        if (!found) {
            printText(u"lectorin-cli: \u201C" + page.displayName + u"\u201D did not load\n", stderr);
            status = 1;
            continue;
        }
        const QString prefix = several ? page.id() + u'\t' : QString();
        for (const PageLinks::PageLink &link : *found)
            printText(prefix + PageLinks::line(link) + u'\n', stdout);
    }
    return status;
}

} // namespace Lectorin::Cli
