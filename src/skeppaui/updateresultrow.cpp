// SPDX-License-Identifier: GPL-3.0-or-later
#include "skeppaui/updateresultrow.h"

#include "skeppaui/availablereleaserow.h"
#include "skeppaui/updatetexts.h"

#include "skeppa/updatechecker.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QProgressBar>
#include <QStyle>

namespace SkeppaUI {
namespace {

using Kind = Skeppa::UpdateChecker::State::Kind;
using OutcomeKind = Skeppa::UpdateOutcome::Kind;

QLabel *secondaryLabel(const QString &text)
{
    auto *label = new QLabel(text);
    label->setObjectName(QStringLiteral("resultText"));
    label->setForegroundRole(QPalette::PlaceholderText);
    label->setWordWrap(true);
    return label;
}

// A leading widget (progress or symbol) followed by a secondary sentence.
QWidget *decoratedText(QWidget *decoration, const QString &text)
{
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(decoration);
    layout->addWidget(secondaryLabel(text), 1);
    return row;
}

QWidget *warningSymbol(const QStyle *style)
{
    auto *symbol = new QLabel;
    const QIcon icon = QIcon::fromTheme(
        QStringLiteral("dialog-warning"), style->standardIcon(QStyle::SP_MessageBoxWarning));
    symbol->setPixmap(icon.pixmap(16, 16));
    return symbol;
}

QWidget *smallProgress()
{
    auto *progress = new QProgressBar;
    progress->setRange(0, 0); // busy
    progress->setTextVisible(false);
    progress->setFixedSize(48, 10);
    return progress;
}

} // namespace

UpdateResultRow::UpdateResultRow(Skeppa::UpdateChecker &checker, QWidget *parent)
    : QWidget(parent)
    , m_checker(checker)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    connect(&m_checker, &Skeppa::UpdateChecker::stateChanged, this, &UpdateResultRow::rebuild);
    connect(&m_checker, &Skeppa::UpdateChecker::configurationChanged, this, &UpdateResultRow::rebuild);
    rebuild();
}

QString UpdateResultRow::text() const
{
    if (!m_content)
        return {};
    if (const auto *label = qobject_cast<const QLabel *>(m_content))
        return label->text();
    for (const char *name : { "resultText", "releaseVersion" }) {
        if (const auto *label = m_content->findChild<QLabel *>(QLatin1String(name)))
            return label->text();
    }
    return {};
}

void UpdateResultRow::rebuild()
{
    delete m_content;
    m_content = nullptr;

    const Skeppa::UpdateChecker::State &state = m_checker.state();
    switch (state.kind) {
    case Kind::idle:
        break;
    case Kind::checking:
        m_content = decoratedText(smallProgress(), UpdateTexts::translated("Checking\u2026"));
        break;
    case Kind::failed:
        m_content = decoratedText(warningSymbol(style()), state.message);
        break;
    case Kind::result: {
        const Skeppa::UpdateOutcome outcome = state.outcome.value_or(Skeppa::UpdateOutcome::upToDate());
        if (outcome.kind == OutcomeKind::upToDate || !outcome.release) {
            m_content = secondaryLabel(UpdateTexts::upToDate(m_checker.configuration()));
        } else if (outcome.kind == OutcomeKind::availableButUnsupported) {
            m_content
                = secondaryLabel(outcome.release->unsupportedSystemMessage(Skeppa::SystemVersion::current()));
        } else {
            m_content = new AvailableReleaseRow(*outcome.release, m_checker);
        }
        break;
    }
    }
    if (m_content)
        layout()->addWidget(m_content);
}

} // namespace SkeppaUI
