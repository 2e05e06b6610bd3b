// SPDX-License-Identifier: GPL-3.0-or-later
#include "skeppaui/availablereleaserow.h"

#include "skeppaui/downloadbutton.h"
#include "skeppaui/updatetexts.h"

#include "skeppa/updatechecker.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace SkeppaUI {

AvailableReleaseRow::AvailableReleaseRow(
    const Skeppa::Release &release, Skeppa::UpdateChecker &checker, QWidget *parent)
    : QWidget(parent)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);

    auto *row = new QHBoxLayout;
    auto *version = new QLabel(UpdateTexts::releaseAvailable(release));
    version->setObjectName(QStringLiteral("releaseVersion"));
    row->addWidget(version);
    if (release.notes && UpdateTexts::allowsDownload(checker.configuration(), *release.notes)) {
        auto *notes = new QLabel(QStringLiteral("<a href=\"%1\">%2</a>")
                                     .arg(release.notes->toString(QUrl::FullyEncoded).toHtmlEscaped(),
                                         UpdateTexts::translated("Release Notes").toHtmlEscaped()));
        notes->setObjectName(QStringLiteral("releaseNotes"));
        notes->setTextFormat(Qt::RichText);
        notes->setOpenExternalLinks(true);
        row->addWidget(notes);
    }
    row->addWidget(new DownloadButton(release, checker));
    row->addStretch();
    column->addLayout(row);

    if (release.sha256) {
        auto *checksum = new QLabel(QStringLiteral("SHA-256: ") + *release.sha256);
        checksum->setObjectName(QStringLiteral("releaseChecksum"));
        QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        mono.setPointSizeF(std::max(1.0, font().pointSizeF() - 1));
        checksum->setFont(mono);
        checksum->setForegroundRole(QPalette::PlaceholderText);
        checksum->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        column->addWidget(checksum);
    }
}

} // namespace SkeppaUI
