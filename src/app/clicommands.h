// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/cliarguments.h"

// The subcommands of lectorin-cli. Each prints to stdout/stderr and returns the process's exit status.
namespace Lectorin::Cli {

int scan(const Arguments &arguments);
int resolve(const Arguments &arguments);
int filter(const Arguments &arguments);
int theme(const Arguments &arguments);
int render(const Arguments &arguments);
// "export" is a keyword.
int exportPage(const Arguments &arguments);
// Every link of the shown page after the links were inferred: "kind<TAB>target<TAB>text".
int links(const Arguments &arguments);
// The full-text index: build or update it, and search it.
int index(const Arguments &arguments);
int search(const Arguments &arguments);
// The page's option index: "ANCHOR<TAB>SPELLINGS<TAB>arg|noarg<TAB>definition", in page order.
int options(const Arguments &arguments);
// mandoc's checks of a page source.
int lint(const Arguments &arguments);
// What each word of a shell command line is, from the pages of its commands: one tab-separated row a part.
int explain(const Arguments &arguments);
// The reader's bookmarks, highlights and notes from the annotations file, as text or with `--markdown` as
// Markdown; never writes the file.
int notes(const Arguments &arguments);

} // namespace Lectorin::Cli
