// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/settingsvalues.h"

#include <cmath>

namespace Lectorin::SettingsValues {

std::optional<QStringList> stringList(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QStringList:
        return value.toStringList();
    case QMetaType::QString:
        return QStringList { value.toString() };
    case QMetaType::QVariantList: {
        QStringList strings;
        for (const QVariant &element : value.toList()) {
            if (element.typeId() != QMetaType::QString)
                return std::nullopt;
            strings.append(element.toString());
        }
        return strings;
    }
    default:
        return std::nullopt;
    }
}

std::optional<double> number(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::QString:
        break;
    default:
        return std::nullopt;
    }
    bool ok = false;
    const double result = value.toDouble(&ok);
    if (!ok || !std::isfinite(result))
        return std::nullopt;
    return result;
}

std::optional<qint64> integer(const QVariant &value)
{
    const std::optional<double> asNumber = number(value);
    if (!asNumber || *asNumber != std::trunc(*asNumber) || std::abs(*asNumber) > 9.0e15)
        return std::nullopt;
    return qint64(*asNumber);
}

std::optional<bool> boolean(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        if (text == QLatin1String("true"))
            return true;
        if (text == QLatin1String("false"))
            return false;
    }
    return std::nullopt;
}

} // namespace Lectorin::SettingsValues
