// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/pagecolorscheme.h"

#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace Lectorin::PageColorScheme {
namespace {

const QString kScriptName = QStringLiteral("lectorin-color-scheme");

// At document creation the root element does not exist yet; the observer marks it as the parser adds it,
// before the task ends and so before the first paint.
const char16_t kScript[] = uR"js((function () {
    const mark = (root) => root.setAttribute("data-lectorin-appearance", "%1");
    if (document.documentElement) {
        mark(document.documentElement);
        return;
    }
    const observer = new MutationObserver(() => {
        if (!document.documentElement) return;
        observer.disconnect();
        mark(document.documentElement);
    });
    observer.observe(document, { childList: true });
})();)js";

// The engine's canvas for a dark colour scheme.
constexpr QRgb kDarkCanvas = 0x121212;

} // namespace

QString script(bool dark)
{
    return QString::fromUtf16(kScript).arg(dark ? u"dark" : u"light");
}

void apply(QWebEnginePage *page, bool dark)
{
    QWebEngineScriptCollection &scripts = page->scripts();
    for (const QWebEngineScript &installed : scripts.find(kScriptName))
        scripts.remove(installed);
    QWebEngineScript colorScheme;
    colorScheme.setName(kScriptName);
    // At document creation: by document ready the engine may already have painted the document light.
    colorScheme.setInjectionPoint(QWebEngineScript::DocumentCreation);
    colorScheme.setWorldId(QWebEngineScript::ApplicationWorld);
    colorScheme.setRunsOnSubFrames(false);
    colorScheme.setSourceCode(script(dark));
    scripts.insert(colorScheme);
    page->runJavaScript(script(dark), QWebEngineScript::ApplicationWorld);
}

QColor background(const std::optional<TMTheme> &theme, bool dark)
{
    if (theme) {
        const Colour &colour = theme->background;
        return QColor::fromRgbF(
            float(colour.red), float(colour.green), float(colour.blue), float(colour.alpha));
    }
    return dark ? QColor(kDarkCanvas) : QColor(Qt::white);
}

} // namespace Lectorin::PageColorScheme
