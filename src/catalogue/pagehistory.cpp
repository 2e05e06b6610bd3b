// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/pagehistory.h"

#include "catalogue/settingsvalues.h"

#include <QSettings>

namespace Lectorin {
namespace {

const QString kHistoryKey = QStringLiteral("history");

} // namespace

PageHistory::PageHistory(QSettings *settings, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_identifiers(SettingsValues::stringList(settings->value(kHistoryKey)).value_or(QStringList()))
{ }

void PageHistory::recordVisit(const QString &id, bool promote)
{
    if (!promote && m_identifiers.contains(id))
        return;
    QStringList identifiers = m_identifiers;
    identifiers.removeAll(id);
    identifiers.prepend(id);
    if (identifiers.size() > kCapacity)
        identifiers.resize(kCapacity);
    m_settings->setValue(kHistoryKey, identifiers);
    setIdentifiers(std::move(identifiers));
}

void PageHistory::clear()
{
    m_settings->remove(kHistoryKey);
    setIdentifiers({});
}

void PageHistory::setIdentifiers(QStringList identifiers)
{
    if (identifiers == m_identifiers)
        return;
    m_identifiers = std::move(identifiers);
    emit changed(m_identifiers);
}

} // namespace Lectorin
