// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/catalogue.h"
#include "catalogue/pagedescriptions.h"
#include "render/commandlineexplainer.h"

namespace Lectorin::CommandLineSources {

// What the explainer asks, answered from a catalogue: pages by name, their option indexes by rendering them,
// and the --help text of commands without a page. Blocking; call it off the GUI thread. Keeps its own copy of
// the catalogue, so the program's may change meanwhile. A command's description comes from `descriptions`.
CommandLineExplainer::Sources fromCatalogue(Catalogue catalogue, PageDescriptions descriptions = {});

} // namespace Lectorin::CommandLineSources
