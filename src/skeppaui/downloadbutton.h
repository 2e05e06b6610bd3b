// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "skeppa/release.h"

#include <QPushButton>

namespace Skeppa {
class UpdateChecker;
}

namespace SkeppaUI {

// "Download…" for one release; offered only for an address the feed's host policy allows. The address opens
// through QDesktopServices, so a program (or a test) can route it with QDesktopServices::setUrlHandler.
class DownloadButton : public QPushButton
{
    Q_OBJECT

public:
    DownloadButton(const Skeppa::Release &release, Skeppa::UpdateChecker &checker, QWidget *parent = nullptr);

private:
    void updateEnabled();

    Skeppa::Release m_release;
    Skeppa::UpdateChecker &m_checker;
};

} // namespace SkeppaUI
