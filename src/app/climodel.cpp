// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/climodel.h"

#include "catalogue/searchpaths.h"

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
    AppModel::Discovery discovery {
        directories(arguments, QStringLiteral("manpath"), system.manualDirectories),
        directories(arguments, QStringLiteral("path"), system.commandDirectories),
    };
    m_model = std::make_unique<AppModel>(&m_settings, std::move(discovery));
    QEventLoop loop;
    QObject::connect(m_model.get(), &AppModel::helpPagesLoaded, &loop, &QEventLoop::quit);
    m_model->loadIndexIfNeeded();
    loop.exec();
}

} // namespace Lectorin::Cli
