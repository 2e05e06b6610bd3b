// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/manpage.h"
#include "render/manpagerenderer.h"

#include <QString>

#include <optional>

// The searchable text of a manual page: what the plain-text export writes.
namespace Lectorin::PageText {

// mandoc's UTF-8 terminal output without overstriking and without control characters other than line breaks
// and tabs; empty when it prints nothing, does not finish in time or stops at `limits`, nothing when the
// formatter cannot be started. Blocks the calling thread.
std::optional<QString> renderBlocking(const ManPage &page, const QString &formatter,
    const SpawnedProcess::ResourceLimits &limits = kFormatterLimits);

// The text of the NAME section joined into one line ("ls – list directory contents"); empty without one.
QString nameLine(const QString &text);

} // namespace Lectorin::PageText
