// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/themessettingsview.h"

#include "settings/themepreview.h"

#include "themes/colorschemestore.h"
#include "themes/themelibrary.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMessageBox>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

namespace Lectorin {
namespace {

using ThemeMode = ColorSchemeStore::ThemeMode;

QString translated(const char *text)
{
    return QCoreApplication::translate("Settings", text);
}

QString chooseThemeFile(QWidget *parent)
{
    return QFileDialog::getOpenFileName(parent, translated("Choose a TextMate .tmTheme colour scheme"),
        QString(), translated("TextMate colour schemes (*.tmTheme *.tmtheme *.xml *.plist);;All files (*)"));
}

void presentModalAlert(QWidget *parent, const QString &message, const QString &informative)
{
    QMessageBox box(QMessageBox::Warning, QString(), message, QMessageBox::Ok, parent);
    box.setInformativeText(informative);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

QToolButton *listButton(const QString &iconName, const QString &fallbackText)
{
    auto *button = new QToolButton;
    const QIcon icon = QIcon::fromTheme(iconName);
    if (icon.isNull())
        button->setText(fallbackText);
    else
        button->setIcon(icon);
    button->setIconSize(QSize(16, 16));
    button->setFixedSize(24, 24);
    return button;
}

} // namespace

ThemesSettingsView::ThemesSettingsView(ThemeLibrary &library, ColorSchemeStore &store, QWidget *parent,
    FileChooser chooseFile, AlertPresenter presentAlert)
    : QWidget(parent)
    , m_library(library)
    , m_store(store)
    , m_chooseFile(chooseFile ? std::move(chooseFile) : FileChooser(&chooseThemeFile))
    , m_presentAlert(presentAlert ? std::move(presentAlert) : AlertPresenter(&presentModalAlert))
    , m_list(new QListWidget)
    , m_import(listButton(QStringLiteral("list-add"), QStringLiteral("+")))
    , m_remove(listButton(QStringLiteral("list-remove"), QStringLiteral("\u2212")))
    , m_preview(new ThemePreview)
    , m_single(new QRadioButton(translated("Use the chosen theme for all appearances")))
    , m_perAppearance(new QRadioButton(translated("Use separate themes for different appearances")))
    , m_pickers(new QWidget)
    , m_light(new QComboBox)
    , m_dark(new QComboBox)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(16);

    auto *top = new QHBoxLayout;
    top->setSpacing(6);
    auto *listColumn = new QVBoxLayout;
    m_list->setFixedWidth(kListWidth);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    listColumn->addWidget(m_list, 1);
    auto *listButtons = new QHBoxLayout;
    listButtons->setSpacing(0);
    m_import->setToolTip(translated("Import a colour scheme"));
    m_remove->setToolTip(translated("Remove the imported colour scheme"));
    listButtons->addWidget(m_import);
    listButtons->addWidget(m_remove);
    listButtons->addStretch();
    listColumn->addLayout(listButtons);
    top->addLayout(listColumn);
    top->addWidget(m_preview, 1, Qt::AlignTop);
    layout->addLayout(top, 1);

    auto *divider = new QFrame;
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    layout->addWidget(divider);

    auto *modes = new QButtonGroup(this);
    modes->addButton(m_single, int(ThemeMode::single));
    modes->addButton(m_perAppearance, int(ThemeMode::perAppearance));
    layout->addWidget(m_single);
    layout->addWidget(m_perAppearance);

    auto *pickers = new QFormLayout(m_pickers);
    pickers->setContentsMargins(20, 0, 0, 0);
    m_light->setFixedWidth(kPickerWidth);
    m_dark->setFixedWidth(kPickerWidth);
    pickers->addRow(translated("Light:"), m_light);
    pickers->addRow(translated("Dark:"), m_dark);
    layout->addWidget(m_pickers);

    connect(m_list, &QListWidget::currentItemChanged, this, &ThemesSettingsView::selectionChanged);
    connect(m_import, &QAbstractButton::clicked, this, &ThemesSettingsView::importTheme);
    connect(m_remove, &QAbstractButton::clicked, this, &ThemesSettingsView::removeSelectedTheme);
    connect(modes, &QButtonGroup::idClicked, this, [this](int id) { m_store.setMode(ThemeMode(id)); });
    connect(m_light, &QComboBox::activated, this,
        [this](int index) { m_store.setLightName(m_light->itemText(index)); });
    connect(m_dark, &QComboBox::activated, this,
        [this](int index) { m_store.setDarkName(m_dark->itemText(index)); });

    connect(&m_library, &ThemeLibrary::entriesChanged, this, &ThemesSettingsView::rebuildEntries);
    connect(&m_store, &ColorSchemeStore::modeChanged, this, [this] {
        showMode();
        syncSelection();
    });
    connect(&m_store, &ColorSchemeStore::lightNameChanged, this,
        [this](const QString &name) { m_light->setCurrentIndex(m_light->findText(name)); });
    connect(&m_store, &ColorSchemeStore::darkNameChanged, this,
        [this](const QString &name) { m_dark->setCurrentIndex(m_dark->findText(name)); });

    rebuildEntries();
    showMode();
    syncSelection();
}

std::optional<QString> ThemesSettingsView::selection() const
{
    if (const QListWidgetItem *item = m_list->currentItem())
        return item->text();
    return std::nullopt;
}

void ThemesSettingsView::setSelection(const QString &name)
{
    const QList<QListWidgetItem *> found = m_list->findItems(name, Qt::MatchExactly);
    m_list->setCurrentItem(found.isEmpty() ? nullptr : found.first());
}

void ThemesSettingsView::syncSelection()
{
    setSelection(m_store.mode() == ThemeMode::single ? m_store.singleName() : m_store.effectiveThemeName());
}

void ThemesSettingsView::rebuildEntries()
{
    const std::optional<QString> selected = selection();
    QStringList names;
    for (const ThemeLibrary::Entry &entry : m_library.entries())
        names.append(entry.name);
    {
        const QSignalBlocker blocker(m_list);
        m_list->clear();
        m_list->addItems(names);
        if (selected)
            setSelection(*selected);
    }
    fillPicker(m_light, names, m_store.lightName());
    fillPicker(m_dark, names, m_store.darkName());
    updatePreview();
    updateRemoveEnabled();
}

void ThemesSettingsView::fillPicker(QComboBox *picker, const QStringList &names, const QString &current)
{
    const QSignalBlocker blocker(picker);
    picker->clear();
    picker->addItems(names);
    picker->setCurrentIndex(picker->findText(current));
}

void ThemesSettingsView::selectionChanged()
{
    updatePreview();
    updateRemoveEnabled();
    const std::optional<QString> name = selection();
    // In per-appearance mode the list only previews; the pickers choose.
    if (name && m_store.mode() == ThemeMode::single && *name != m_store.singleName())
        m_store.setSingleName(*name);
}

void ThemesSettingsView::updatePreview()
{
    const std::optional<QString> name = selection();
    std::optional<TMTheme> theme;
    if (name && *name != ThemeLibrary::kDefaultName)
        theme = m_library.theme(*name);
    // "Default", and a file that can no longer be read, show the system's colours.
    m_preview->setTheme(theme ? *theme : ThemePreview::systemColourTheme(palette()));
}

void ThemesSettingsView::updateRemoveEnabled()
{
    const std::optional<QString> name = selection();
    bool isUser = false;
    for (const ThemeLibrary::Entry &entry : m_library.entries()) {
        if (name && entry.name == *name)
            isUser = entry.kind == ThemeLibrary::Entry::Kind::user;
    }
    m_remove->setEnabled(isUser);
}

void ThemesSettingsView::showMode()
{
    const bool perAppearance = m_store.mode() == ThemeMode::perAppearance;
    m_single->setChecked(!perAppearance);
    m_perAppearance->setChecked(perAppearance);
    m_pickers->setVisible(perAppearance);
}

void ThemesSettingsView::importTheme()
{
    const QString path = m_chooseFile(this);
    if (path.isEmpty())
        return;
    const std::optional<QString> name = m_library.importTheme(path);
    if (!name) {
        m_presentAlert(this, translated("Couldn\u2019t import colour scheme"),
            translated("\u201c%1\u201d isn\u2019t a readable .tmTheme file.")
                .arg(QFileInfo(path).fileName()));
        return;
    }
    // Selecting it also makes it the single theme in single mode.
    setSelection(*name);
}

void ThemesSettingsView::removeSelectedTheme()
{
    const std::optional<QString> name = selection();
    if (!name)
        return;
    const auto &entries = m_library.entries();
    const auto entry = std::find_if(entries.cbegin(), entries.cend(),
        [&name](const ThemeLibrary::Entry &candidate) { return candidate.name == *name; });
    if (entry == entries.cend() || entry->kind != ThemeLibrary::Entry::Kind::user)
        return;
    const ThemeLibrary::Entry removed = *entry;
    m_library.remove(removed);
    if (m_store.singleName() == removed.name)
        m_store.setSingleName(ThemeLibrary::kDefaultName);
    if (m_store.lightName() == removed.name)
        m_store.setLightName(ThemeLibrary::kDefaultName);
    if (m_store.darkName() == removed.name)
        m_store.setDarkName(ThemeLibrary::kDefaultName);
    setSelection(ThemeLibrary::kDefaultName);
}

void ThemesSettingsView::showEvent(QShowEvent *event)
{
    syncSelection();
    QWidget::showEvent(event);
}

void ThemesSettingsView::changeEvent(QEvent *event)
{
    // The system-colour theme follows a switch between light and dark.
    if (event->type() == QEvent::PaletteChange)
        updatePreview();
    QWidget::changeEvent(event);
}

} // namespace Lectorin
