// SPDX-License-Identifier: GPL-3.0-or-later
#include "skeppaui/downloadbutton.h"

#include "skeppaui/updatetexts.h"

#include "skeppa/updatechecker.h"

#include <QDesktopServices>

namespace SkeppaUI {

DownloadButton::DownloadButton(
    const Skeppa::Release &release, Skeppa::UpdateChecker &checker, QWidget *parent)
    : QPushButton(UpdateTexts::translated("Download\u2026"), parent)
    , m_release(release)
    , m_checker(checker)
{
    connect(this, &QPushButton::clicked, this, [this] {
        // Checked again at the press: the configuration may have changed since the button was drawn.
        if (UpdateTexts::allowsDownload(m_checker.configuration(), m_release.url))
            QDesktopServices::openUrl(m_release.url);
    });
    connect(&m_checker, &Skeppa::UpdateChecker::configurationChanged, this, &DownloadButton::updateEnabled);
    updateEnabled();
}

void DownloadButton::updateEnabled()
{
    const bool allowed = UpdateTexts::allowsDownload(m_checker.configuration(), m_release.url);
    setEnabled(allowed);
    setToolTip(
        allowed ? QString() : UpdateTexts::translated("The download address is not on the update server."));
}

} // namespace SkeppaUI
