// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/manpage.h"
#include "info/infodocument.h"
#include "render/manpagerenderer.h"

#include <QFuture>

#include <optional>

// Info nodes rendered as Lectorin pages: the same document, stylesheet and themes as man pages.
namespace Lectorin::InfoPageRenderer {

// The node an info page stands for, or the directory of manuals by category; a manual that cannot be read or
// a node it lacks gives an error document. Renders on the global pool.
QFuture<ManPageRenderer::RenderResult> render(
    const ManPage &page, const std::optional<ManPagePalette> &palette, double fontScale);
ManPageRenderer::RenderResult renderBlocking(
    const ManPage &page, const std::optional<ManPagePalette> &palette, double fontScale);

// The node's text as the manual lays it out; nothing when it cannot be read.
std::optional<QString> plainText(const ManPage &page);

// Reads the texts of many nodes, loading a manual once for the nodes of it that come in a row.
class NodeTexts
{
public:
    std::optional<QString> text(const ManPage &page);

private:
    QString m_path;
    std::optional<InfoDocument> m_document;
};

} // namespace Lectorin::InfoPageRenderer
