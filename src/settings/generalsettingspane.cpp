// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/generalsettingspane.h"

#include "settings/manpagelinkhandlersection.h"

#include "catalogue/appmodel.h"
#include "catalogue/pagelanguages.h"
#include "catalogue/sidebarhistory.h"
#include "skeppaui/updatesettingssection.h"
#include "themes/colorschemestore.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpressionValidator>
#include <QSettings>
#include <QToolButton>
#include <QVBoxLayout>

namespace Lectorin {
namespace {

QString translated(const char *text)
{
    return QCoreApplication::translate("Settings", text);
}

QLabel *secondaryLabel(const QString &text)
{
    auto *label = new QLabel(text);
    label->setWordWrap(true);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

QString appearanceTitle(AppearanceSetting setting)
{
    switch (setting) {
    case AppearanceSetting::light:
        return translated("Light");
    case AppearanceSetting::dark:
        return translated("Dark");
    case AppearanceSetting::system:
        break;
    }
    return translated("System");
}

QToolButton *arrowButton(Qt::ArrowType arrow)
{
    auto *button = new QToolButton;
    button->setArrowType(arrow);
    button->setFixedSize(18, 12);
    button->setAutoRepeat(true);
    return button;
}

} // namespace

GeneralSettingsPane::GeneralSettingsPane(Dependencies dependencies, QWidget *parent)
    : QWidget(parent)
    , m_dependencies(std::move(dependencies))
{
    Q_ASSERT(m_dependencies.settings && m_dependencies.store && m_dependencies.checker);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 12, 20, 12);
    layout->setSpacing(6);
    layout->addWidget(makeAppearanceSection());
    layout->addWidget(makeHistorySection());
    if (m_dependencies.app)
        layout->addWidget(makeLanguageSection());
    m_linkHandlers = new ManPageLinkHandlerSection(m_dependencies.linkHandlers);
    layout->addWidget(m_linkHandlers);
    layout->addWidget(new SkeppaUI::UpdateSettingsSection(*m_dependencies.checker));
    layout->addStretch();
}

QWidget *GeneralSettingsPane::makeAppearanceSection()
{
    auto *section = new QGroupBox;
    auto *form = new QFormLayout(section);
    auto *segments = new QWidget;
    auto *row = new QHBoxLayout(segments);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    m_appearanceButtons = new QButtonGroup(this);
    const AppearanceSetting stored = storedAppearance(*m_dependencies.settings);
    for (const AppearanceSetting setting : allAppearanceSettings()) {
        auto *button = new QToolButton;
        button->setText(appearanceTitle(setting));
        button->setCheckable(true);
        button->setChecked(setting == stored);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setMinimumWidth(72);
        m_appearanceButtons->addButton(button, int(setting));
        row->addWidget(button);
    }
    row->addStretch();
    connect(m_appearanceButtons, &QButtonGroup::idClicked, this,
        [this](int id) { chooseAppearance(AppearanceSetting(id)); });
    form->addRow(translated("Appearance:"), segments);
    QLabel *caption = secondaryLabel(translated("\u201cSystem\u201d follows the light or dark style of your "
                                                "desktop, including its automatic switch."));
    QFont small = caption->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    caption->setFont(small);
    form->addRow(QString(), caption);
    return section;
}

QWidget *GeneralSettingsPane::makeHistorySection()
{
    auto *section = new QGroupBox;
    auto *form = new QFormLayout(section);
    auto *row = new QHBoxLayout;
    m_historyField = new QLineEdit;
    m_historyField->setFixedWidth(60);
    m_historyField->setAlignment(Qt::AlignRight);
    m_historyField->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,9}")), m_historyField));
    m_historyField->setAccessibleName(translated("Keep in History"));
    row->addWidget(m_historyField);

    auto *stepper = new QVBoxLayout;
    stepper->setSpacing(0);
    m_stepUp = arrowButton(Qt::UpArrow);
    m_stepDown = arrowButton(Qt::DownArrow);
    stepper->addWidget(m_stepUp);
    stepper->addWidget(m_stepDown);
    row->addLayout(stepper);
    row->addWidget(secondaryLabel(translated("commands")));
    row->addStretch();
    form->addRow(translated("Keep in History"), row);
    form->addRow(QString(),
        secondaryLabel(translated("The sidebar lists the most recently viewed commands. History \u25b8 Clear "
                                  "History empties the list.")));

    connect(m_historyField, &QLineEdit::editingFinished, this, &GeneralSettingsPane::submitHistoryField);
    connect(m_stepUp, &QAbstractButton::clicked, this, [this] { stepHistory(kHistoryStep); });
    connect(m_stepDown, &QAbstractButton::clicked, this, [this] { stepHistory(-kHistoryStep); });
    showStoredHistory();
    return section;
}

QWidget *GeneralSettingsPane::makeLanguageSection()
{
    AppModel *app = m_dependencies.app;
    auto *section = new QGroupBox;
    auto *column = new QVBoxLayout(section);
    m_translatedPages = new QCheckBox(translated("Show translated pages when available"));
    const QStringList languages = app->readerLanguages();
    m_translatedPages->setEnabled(!languages.isEmpty());
    m_translatedPages->setChecked(!languages.isEmpty() && app->showsTranslatedPages());
    column->addWidget(m_translatedPages);
    QStringList names;
    for (const QString &language : languages)
        names.append(PageLanguages::displayName(language));
    names.removeDuplicates();
    column->addWidget(secondaryLabel(languages.isEmpty()
            ? translated("Your language setting offers no translations: every page shows untranslated.")
            : translated(
                "Pages translated into %1 show in place of the untranslated ones, as man shows them. "
                "View \u25b8 Show Translated Page switches a single page.")
                  .arg(QLocale().createSeparatedList(names))));
    connect(m_translatedPages, &QCheckBox::toggled, app, &AppModel::setShowsTranslatedPages);
    return section;
}

QAbstractButton *GeneralSettingsPane::appearanceButton(AppearanceSetting setting) const
{
    return m_appearanceButtons->button(int(setting));
}

void GeneralSettingsPane::chooseAppearance(AppearanceSetting setting)
{
    QSettings &settings = *m_dependencies.settings;
    if (storedAppearance(settings) == setting)
        return;
    settings.setValue(QLatin1String(kAppearanceKey), rawValue(setting));
    if (m_dependencies.applyAppearance)
        m_dependencies.applyAppearance(setting);
    // A per-appearance theme follows the new appearance at once.
    m_dependencies.store->reload();
}

void GeneralSettingsPane::submitHistoryField()
{
    bool isNumber = false;
    const qint64 typed = m_historyField->text().toLongLong(&isNumber);
    if (isNumber)
        storeHistory(typed);
    showStoredHistory();
}

void GeneralSettingsPane::stepHistory(int delta)
{
    storeHistory(qint64(SidebarHistory::storedHistoryLimit(*m_dependencies.settings)) + delta);
    showStoredHistory();
}

void GeneralSettingsPane::storeHistory(qint64 limit)
{
    QSettings &settings = *m_dependencies.settings;
    const int clamped = SidebarHistory::clampedHistoryLimit(limit);
    const QVariant before = settings.value(QStringLiteral("historyLimit"));
    const int previous = SidebarHistory::storedHistoryLimit(settings);
    if (before.isValid() && previous == clamped)
        return;
    SidebarHistory::storeHistoryLimit(settings, clamped);
    if (previous != clamped)
        emit historyLimitChanged(clamped);
}

void GeneralSettingsPane::clampStoredHistoryLimit()
{
    QSettings &settings = *m_dependencies.settings;
    const int stored = SidebarHistory::storedHistoryLimit(settings);
    const int clamped = SidebarHistory::clampedHistoryLimit(stored);
    if (clamped != stored) {
        SidebarHistory::storeHistoryLimit(settings, clamped);
        emit historyLimitChanged(clamped);
    }
    showStoredHistory();
}

void GeneralSettingsPane::showStoredHistory()
{
    m_historyField->setText(QString::number(SidebarHistory::storedHistoryLimit(*m_dependencies.settings)));
}

void GeneralSettingsPane::hideEvent(QHideEvent *event)
{
    clampStoredHistoryLimit();
    QWidget::hideEvent(event);
}

} // namespace Lectorin
