// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/climodel.h"

#include "catalogue/infonodes.h"
#include "catalogue/pagelookup.h"
#include "catalogue/searchpaths.h"
#include "info/infourl.h"
#include "render/manurl.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QUrl>

#include <cstdio>

namespace Lectorin::Cli {
namespace {

std::function<QStringList()> directories(
    const Arguments &arguments, const QString &option, std::function<QStringList()> discover)
{
    if (const auto given = arguments.option(option))
        return [list = given->split(u':', Qt::SkipEmptyParts)] { return list; };
    return discover;
}

// No folders yet; `--lang` fixes the languages and sets the setting aside.
AppModel::Discovery languageDiscovery(const Arguments &arguments)
{
    AppModel::Discovery discovery;
    discovery.languages = languagesOption(arguments);
    discovery.followsTranslationSetting = !discovery.languages;
    discovery.describesPages = false;
    return discovery;
}

} // namespace

LoadedModel::LoadedModel(const Arguments &arguments)
    : m_settings(QStringLiteral("Lectorin"), QStringLiteral("Lectorin"))
{
    const AppModel::Discovery system = AppModel::systemDiscovery();
    QElapsedTimer timer;
    timer.start();
    m_manualDirectories = directories(arguments, QStringLiteral("manpath"), system.manualDirectories)();
    m_discoveryMilliseconds = double(timer.nsecsElapsed()) / 1e6;
    AppModel::Discovery discovery = languageDiscovery(arguments);
    discovery.manualDirectories = [list = m_manualDirectories] { return list; };
    discovery.commandDirectories = directories(arguments, QStringLiteral("path"), system.commandDirectories);
    const std::optional<QString> infopath = arguments.option(QStringLiteral("infopath"));
    m_infoDirectories = infopath ? InfoPath::directories(*infopath) : InfoPath::directories();
    discovery.infoDirectories = [list = m_infoDirectories] { return list; };
    m_model = std::make_unique<AppModel>(&m_settings, std::move(discovery));
}

AppModel &LoadedModel::modelWithInfoNodes()
{
    AppModel &loaded = model();
    if (!loaded.areInfoTopicsLoaded()) {
        QEventLoop loop;
        QObject::connect(&loaded, &AppModel::infoTopicsChanged, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return loaded;
}

QList<PageLanguages::ManualRoot> LoadedModel::manualRoots() const
{
    return PageLanguages::withTranslations(m_manualDirectories, m_model->pageLanguages());
}

AppModel &LoadedModel::model()
{
    if (!m_loaded) {
        m_loaded = true;
        QEventLoop loop;
        QObject::connect(m_model.get(), &AppModel::helpPagesLoaded, &loop, &QEventLoop::quit);
        m_model->loadIndexIfNeeded();
        loop.exec();
        if (!m_model->isInfoLibraryLoaded()) {
            QObject::connect(m_model.get(), &AppModel::infoLibraryChanged, &loop, &QEventLoop::quit);
            loop.exec();
        }
    }
    return *m_model;
}

bool checkLanguageOption(const Arguments &arguments)
{
    const std::optional<QString> language = arguments.option(QStringLiteral("lang"));
    if (!language || *language == u"none" || PageLanguages::isLanguageName(*language))
        return true;
    printText(u"lectorin-cli: --lang needs a language such as de or pt_BR, or none, not \u201C" + *language
            + u"\u201D\n",
        stderr);
    return false;
}

std::optional<QStringList> languagesOption(const Arguments &arguments)
{
    const std::optional<QString> language = arguments.option(QStringLiteral("lang"));
    if (!language)
        return std::nullopt;
    return *language == u"none" ? QStringList() : QStringList { *language };
}

QStringList pageLanguages(const Arguments &arguments)
{
    QSettings settings(QStringLiteral("Lectorin"), QStringLiteral("Lectorin"));
    return AppModel(&settings, languageDiscovery(arguments)).pageLanguages();
}

std::optional<PageReference> referenceFrom(const QString &text)
{
    for (const QString &scheme : { kManURLScheme, kManPageLinkScheme, kInfoURLScheme }) {
        if (text.startsWith(scheme + u"://", Qt::CaseInsensitive))
            return parseManURLText(text);
    }
    if (text.startsWith(u"info:", Qt::CaseInsensitive))
        return parseManURLText(text);
    return parseReference(text);
}

std::optional<ManPage> pageFor(LoadedModel &loaded, const PageReference &reference)
{
    // An info node needs only the manuals.
    if (reference.section == kInfoSection)
        return InfoNodes::pageIn(
            InfoPath::scan(loaded.infoDirectories()), loaded.infoDirectories(), reference.name);
    // One page needs no catalogue when its file names answer; the scan is the fallback for everything else.
    if (std::optional<ManPage> page = PageLookup::findDirectly(loaded.manualRoots(), reference))
        return page;
    return resolveManReference(loaded.model(), reference);
}

void printText(const QString &text, FILE *stream)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

void printNoEntry(const QString &name)
{
    printText(u"No manual entry for \u201C" + name + u"\u201D\n", stderr);
}

} // namespace Lectorin::Cli
