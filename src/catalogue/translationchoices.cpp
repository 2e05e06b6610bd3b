// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/translationchoices.h"

#include "catalogue/pagelanguages.h"
#include "catalogue/pagelookup.h"
#include "catalogue/settingsvalues.h"

#include <QSettings>

namespace Lectorin {
namespace {

const QString kShowTranslatedPagesKey = QStringLiteral("showTranslatedPages");

} // namespace

TranslationChoices::TranslationChoices(
    QSettings *settings, const CatalogueDiscovery &discovery, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_readerLanguages(discovery.languages.value_or(PageLanguages::fromEnvironment()))
    , m_followsTranslationSetting(discovery.followsTranslationSetting)
    , m_showsTranslatedPages(SettingsValues::boolean(settings->value(kShowTranslatedPagesKey)).value_or(true))
{ }

QStringList TranslationChoices::pageLanguages() const
{
    return m_showsTranslatedPages || !m_followsTranslationSetting ? m_readerLanguages : QStringList();
}

void TranslationChoices::setShowsTranslatedPages(bool shows)
{
    if (shows == m_showsTranslatedPages)
        return;
    m_showsTranslatedPages = shows;
    m_settings->setValue(kShowTranslatedPagesKey, shows);
    emit showsTranslatedPagesChanged(shows);
}

std::optional<ManPage> TranslationChoices::untranslatedCopy(
    const QString &id, const Catalogue &catalogue, const QStringList &manualDirectories)
{
    const ManPage *translated = catalogue.page(id);
    if (!translated || translated->location.language().isEmpty())
        return std::nullopt;
    std::optional<ManPage> copy = PageLookup::findDirectly(
        manualDirectories, PageReference { translated->name, translated->section });
    if (copy)
        copy->displayName = translated->displayName;
    return copy;
}

void TranslationChoices::setShowsUntranslatedCopy(
    const QString &id, bool shows, const Catalogue &catalogue, const QStringList &manualDirectories)
{
    if (shows == showsUntranslatedCopy(id))
        return;
    if (!shows) {
        m_untranslatedCopies.remove(id);
    } else if (const std::optional<ManPage> copy = untranslatedCopy(id, catalogue, manualDirectories)) {
        m_untranslatedCopies.insert(id, *copy);
    } else {
        return;
    }
    emit shownCopyChanged(id);
}

void TranslationChoices::refreshUntranslatedCopies(
    const Catalogue &catalogue, const QStringList &manualDirectories)
{
    const QStringList chosen = m_untranslatedCopies.keys();
    for (const QString &id : chosen) {
        if (const std::optional<ManPage> copy = untranslatedCopy(id, catalogue, manualDirectories)) {
            m_untranslatedCopies.insert(id, *copy);
        } else {
            m_untranslatedCopies.remove(id);
            emit shownCopyChanged(id);
        }
    }
}

ManPage TranslationChoices::shownCopy(const ManPage &page) const
{
    if (m_untranslatedCopies.isEmpty())
        return page;
    return m_untranslatedCopies.value(page.id(), page);
}

} // namespace Lectorin
