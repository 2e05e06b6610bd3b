// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

namespace InfoManualFixture {

// A small manual in the shape makeinfo writes: a preamble with its dir entry, a Top node with a menu, a
// node with a cross reference, a man page reference and an example, and an index node.
inline const QByteArray kManual
    = QByteArrayLiteral("This is fix.info, produced by a test.\n\n"
                        "INFO-DIR-SECTION Testing\nSTART-INFO-DIR-ENTRY\n"
                        "* Fix: (fix).                   A fixture manual.\nEND-INFO-DIR-ENTRY\n\n"
                        "\x1f\nFile: fix.info,  Node: Top,  Next: Frobbing,  Up: (dir)\n\n"
                        "Fixture\n*******\n\nThe fixture manual.\n\n* Menu:\n\n"
                        "* Frobbing::           How to frob.\n* Index::              Topics.\n\n"
                        "\x1f\nFile: fix.info,  Node: Frobbing,  Next: Index,  Prev: Top,  Up: Top\n\n"
                        "1 Frobbing\n**********\n\nThe quetzalcoatl frobs; see frob(1) and *note Top::.\n\n"
                        "     $ frob --column   kept   apart\n\n"
                        "\x1f\nFile: fix.info,  Node: Index,  Prev: Frobbing,  Up: Top\n\n"
                        "Index\n*****\n\n\x00\x08[index\x00\x08]\n* Menu:\n\n"
                        "* --frobnicate:                         Frobbing.             (line 6)\n\n"
                        "\x1f\nTag Table:\nNode: Top\x7f"
                        "120\nEnd Tag Table\n");

inline const QByteArray kDir
    = "\x1f\nFile: dir,\tNode: Top\tThis is the top of the INFO tree\n\n* Menu:\n\nTesting\n"
      "* Fix: (fix).                   A fixture manual.\n";

} // namespace InfoManualFixture
