// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/catalogue.h"
#include "render/commandlineexplainer.h"

namespace Lectorin::CommandLineSources {

// What the explainer asks, answered from a catalogue: pages by name, their option indexes by rendering them,
// and the --help text of commands without a page. Blocking; call it off the GUI thread. Keeps its own copy of
// the catalogue, so the program's may change meanwhile.
CommandLineExplainer::Sources fromCatalogue(Catalogue catalogue);

} // namespace Lectorin::CommandLineSources
