// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/clicommands.h"

#include <cstdio>

namespace Lectorin::Cli {

int theme(const Arguments &)
{
    std::fputs("theme: not available yet\n", stderr);
    return 2;
}

} // namespace Lectorin::Cli
