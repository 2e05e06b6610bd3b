// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/cliarguments.h"
#include "catalogue/appmodel.h"

#include <QSettings>

#include <memory>

namespace Lectorin::Cli {

// The application model loaded the way the program loads it, help pages included; `--manpath` and `--path`
// replace discovery. Reads the user's settings but never writes them.
class LoadedModel
{
public:
    explicit LoadedModel(const Arguments &arguments);

    AppModel &model() { return *m_model; }

private:
    QSettings m_settings;
    std::unique_ptr<AppModel> m_model;
};

} // namespace Lectorin::Cli
