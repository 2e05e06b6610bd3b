// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/infopagerenderer.h"

#include "catalogue/infonodes.h"
#include "info/infodocument.h"
#include "info/infonodehtml.h"

#include <QtConcurrent>

namespace Lectorin::InfoPageRenderer {
namespace {

using ManPageRenderer::RenderResult;

const QString kDirectoryTitle = QStringLiteral("Info Manuals");

struct LoadedNode
{
    std::optional<InfoNode> node;
    QString problem;
};

LoadedNode loadNode(const ManPage &page, const InfoReference &reference)
{
    QString error;
    const std::optional<InfoDocument> document = InfoDocument::load(page.path(), &error);
    if (!document)
        return { std::nullopt,
            u"The manual \u201C" + reference.manual + u"\u201D could not be read: " + error };
    std::optional<InfoNode> node = document->node(reference.node);
    if (!node)
        return { std::nullopt,
            u"The manual \u201C" + reference.manual + u"\u201D has no node \u201C" + reference.node
                + u"\u201D." };
    return { std::move(node), QString() };
}

} // namespace

QFuture<RenderResult> render(
    const ManPage &page, const std::optional<ManPagePalette> &palette, double fontScale)
{
    return QtConcurrent::run([page, palette, fontScale] { return renderBlocking(page, palette, fontScale); });
}

RenderResult renderBlocking(
    const ManPage &page, const std::optional<ManPagePalette> &palette, double fontScale)
{
    const std::optional<InfoReference> reference = InfoNodes::referenceOf(page);
    if (!reference)
        return { ManPageRenderer::errorHTML(page.name, QStringLiteral("Malformed info node reference.")),
            std::nullopt };
    if (InfoNodes::isDirectory(*reference)) {
        // The directory page carries its folders as its location, joined as INFOPATH joins them.
        const InfoLibrary library = InfoPath::scan(page.path().split(u':', Qt::SkipEmptyParts));
        return { ManPageRenderer::documentHTML(
                     kDirectoryTitle, InfoNodeHtml::topPageBody(library.categories), palette, fontScale),
            std::nullopt };
    }
    const LoadedNode loaded = loadNode(page, *reference);
    if (!loaded.node)
        return { ManPageRenderer::errorHTML(page.name, loaded.problem), std::nullopt };
    const QString body
        = ManPageRenderer::withCopyButtons(InfoNodeHtml::body(*loaded.node, reference->manual));
    return { ManPageRenderer::documentHTML(
                 InfoNodeHtml::title(*loaded.node, reference->manual), body, palette, fontScale),
        std::nullopt };
}

std::optional<QString> plainText(const ManPage &page)
{
    return NodeTexts().text(page);
}

std::optional<QString> NodeTexts::text(const ManPage &page)
{
    const std::optional<InfoReference> reference = InfoNodes::referenceOf(page);
    if (!reference || InfoNodes::isDirectory(*reference))
        return std::nullopt;
    if (page.path() != m_path) {
        m_path = page.path();
        m_document = InfoDocument::load(m_path);
    }
    const std::optional<InfoNode> node = m_document ? m_document->node(reference->node) : std::nullopt;
    return node ? std::optional(node->text) : std::nullopt;
}

} // namespace Lectorin::InfoPageRenderer
