// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/pagecolorscheme.h"

#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace Lectorin::PageColorScheme {
namespace {

const QString kScriptName = QStringLiteral("lectorin-color-scheme");

// The data attribute marks a scheme this script set, so a later appearance change may set it again.
const char16_t kScript[] = uR"js((function () {
    const root = document.documentElement;
    if (!root) return;
    if (!root.hasAttribute("data-lectorin-color-scheme")) {
        if (getComputedStyle(root).colorScheme.trim() !== "light dark") return;
        root.setAttribute("data-lectorin-color-scheme", "");
    }
    root.style.colorScheme = "%1";
})();)js";

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
    colorScheme.setInjectionPoint(QWebEngineScript::DocumentReady);
    colorScheme.setWorldId(QWebEngineScript::ApplicationWorld);
    colorScheme.setRunsOnSubFrames(false);
    colorScheme.setSourceCode(script(dark));
    scripts.insert(colorScheme);
    page->runJavaScript(script(dark), QWebEngineScript::ApplicationWorld);
}

} // namespace Lectorin::PageColorScheme
