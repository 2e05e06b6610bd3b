// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include <optional>

namespace Lectorin {

// What the navigation decider asks of a window's browser model; implemented there.
class ManNavigationTarget : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Show the page in this window, or the missing-page alert.
    virtual void open(const QString &name, const std::optional<QString> &section) = 0;
    virtual void openInNewWindow(const QString &name, const std::optional<QString> &section) = 0;
    virtual void openInNewTab(const QString &name, const std::optional<QString> &section) = 0;
    virtual void showMissingPage(const QString &name, const std::optional<QString> &section) = 0;
};

} // namespace Lectorin
