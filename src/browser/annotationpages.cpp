// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/annotationpages.h"

#include "catalogue/appmodel.h"
#include "render/manurl.h"

namespace Lectorin::AnnotationPages {

QString keyOf(const ManPage &page)
{
    return manURLString(page.name, page.section).value_or(QString());
}

std::optional<QString> keyOf(const QUrl &shownURL)
{
    const std::optional<PageReference> reference = parseManURL(shownURL);
    if (!reference || !reference->section || reference->name.isEmpty())
        return std::nullopt;
    return manURLString(reference->name, reference->section);
}

std::optional<PageReference> referenceOf(const QString &key)
{
    const std::optional<PageReference> reference = parseManURLText(key);
    if (!reference || reference->name.isEmpty())
        return std::nullopt;
    return reference;
}

std::optional<ManPage> pageOf(const AppModel &app, const QString &key)
{
    const std::optional<PageReference> reference = referenceOf(key);
    return reference ? resolveManReference(app, *reference) : std::nullopt;
}

bool isMissing(const AppModel &app, const QString &key)
{
    const std::optional<PageReference> reference = referenceOf(key);
    if (!reference)
        return true;
    if (app.indexState() != AppModel::IndexState::ready)
        return false;
    if (reference->section == kInfoSection && !app.isInfoLibraryLoaded())
        return false;
    return !resolveManReference(app, *reference);
}

} // namespace Lectorin::AnnotationPages
