// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/catalogue.h"
#include "catalogue/cataloguediscovery.h"

#include <QHash>
#include <QObject>
#include <QStringList>

#include <optional>

class QSettings;

namespace Lectorin {

// What the reader chose about translated pages: whether the catalogue shows them, in which languages, and
// which pages show their untranslated copy this session.
class TranslationChoices : public QObject
{
    Q_OBJECT

public:
    TranslationChoices(QSettings *settings, const CatalogueDiscovery &discovery, QObject *parent = nullptr);

    // The languages whose translations the reader's locale offers, most preferred first.
    const QStringList &readerLanguages() const { return m_readerLanguages; }
    bool showsTranslatedPages() const { return m_showsTranslatedPages; }
    // The translations the catalogue shows in place of untranslated pages, most preferred first.
    QStringList pageLanguages() const;
    // Stored under "showTranslatedPages".
    void setShowsTranslatedPages(bool shows);

    // The untranslated page of a catalogue page that is a translation, found by its file names among
    // `manualDirectories`; nothing when the page is untranslated or its untranslated file cannot be told.
    static std::optional<ManPage> untranslatedCopy(
        const QString &id, const Catalogue &catalogue, const QStringList &manualDirectories);
    bool showsUntranslatedCopy(const QString &id) const { return m_untranslatedCopies.contains(id); }
    void setShowsUntranslatedCopy(
        const QString &id, bool shows, const Catalogue &catalogue, const QStringList &manualDirectories);
    // Follows a new scan, which may move or drop a chosen copy, or make the catalogue's page untranslated.
    void refreshUntranslatedCopies(const Catalogue &catalogue, const QStringList &manualDirectories);
    // The page shown for a catalogue page: its chosen untranslated copy, or itself.
    ManPage shownCopy(const ManPage &page) const;

signals:
    void showsTranslatedPagesChanged(bool shows);
    // The copy an identifier shows changed: translated or untranslated.
    void shownCopyChanged(const QString &id);

private:
    QSettings *m_settings;
    QStringList m_readerLanguages;
    bool m_followsTranslationSetting;
    bool m_showsTranslatedPages;
    // By identifier: the untranslated pages shown in place of the catalogue's translations.
    QHash<QString, ManPage> m_untranslatedCopies;
};

} // namespace Lectorin
