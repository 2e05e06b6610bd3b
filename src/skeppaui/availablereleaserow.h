// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "skeppa/release.h"

#include <QWidget>

namespace Skeppa {
class UpdateChecker;
}

namespace SkeppaUI {

// A release that can be had: its version, the release notes when their address is allowed, the download
// button and the checksum.
class AvailableReleaseRow : public QWidget
{
    Q_OBJECT

public:
    AvailableReleaseRow(
        const Skeppa::Release &release, Skeppa::UpdateChecker &checker, QWidget *parent = nullptr);
};

} // namespace SkeppaUI
