// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/climodel.h"

#include "catalogue/searchpaths.h"

#include <QElapsedTimer>
#include <QEventLoop>

namespace Lectorin::Cli {
namespace {

std::function<QStringList()> directories(
    const Arguments &arguments, const QString &option, std::function<QStringList()> discover)
{
    if (const auto given = arguments.option(option))
        return [list = given->split(u':', Qt::SkipEmptyParts)] { return list; };
    return discover;
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
    AppModel::Discovery discovery {
        [list = m_manualDirectories] { return list; },
        directories(arguments, QStringLiteral("path"), system.commandDirectories),
    };
    m_model = std::make_unique<AppModel>(&m_settings, std::move(discovery));
}

AppModel &LoadedModel::model()
{
    if (!m_loaded) {
        m_loaded = true;
        QEventLoop loop;
        QObject::connect(m_model.get(), &AppModel::helpPagesLoaded, &loop, &QEventLoop::quit);
        m_model->loadIndexIfNeeded();
        loop.exec();
    }
    return *m_model;
}

} // namespace Lectorin::Cli
