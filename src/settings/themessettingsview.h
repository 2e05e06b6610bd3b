// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "themes/tmtheme.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QAbstractButton;
class QComboBox;
class QListWidget;
class QRadioButton;

namespace Lectorin {

class ColorSchemeStore;
class ThemeLibrary;
class ThemePreview;

// The Themes settings page: the list of colour schemes with import and remove, a preview of the selected
// one, and whether one theme serves every appearance or one each for light and dark.
class ThemesSettingsView : public QWidget
{
    Q_OBJECT

public:
    // The file chooser gives the chosen path or an empty string; the alert shows a message and its
    // informative text. Both default to modal dialogs; tests pass their own.
    using FileChooser = std::function<QString(QWidget *parent)>;
    using AlertPresenter
        = std::function<void(QWidget *parent, const QString &message, const QString &informative)>;

    static constexpr int kListWidth = 220;
    static constexpr int kPickerWidth = 260;

    ThemesSettingsView(ThemeLibrary &library, ColorSchemeStore &store, QWidget *parent = nullptr,
        FileChooser chooseFile = {}, AlertPresenter presentAlert = {});

    // The selected entry's name, if a row is selected.
    std::optional<QString> selection() const;
    void setSelection(const QString &name);

    QListWidget *themeList() const { return m_list; }
    QAbstractButton *importButton() const { return m_import; }
    QAbstractButton *removeButton() const { return m_remove; }
    QRadioButton *singleModeButton() const { return m_single; }
    QRadioButton *perAppearanceModeButton() const { return m_perAppearance; }
    QComboBox *lightPicker() const { return m_light; }
    QComboBox *darkPicker() const { return m_dark; }
    QWidget *appearancePickers() const { return m_pickers; }
    ThemePreview *preview() const { return m_preview; }

    void importTheme();
    void removeSelectedTheme();
    void syncSelection();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void rebuildEntries();
    void selectionChanged();
    void updatePreview();
    void updateRemoveEnabled();
    void showMode();
    static void fillPicker(QComboBox *picker, const QStringList &names, const QString &current);

    ThemeLibrary &m_library;
    ColorSchemeStore &m_store;
    FileChooser m_chooseFile;
    AlertPresenter m_presentAlert;
    QListWidget *m_list;
    QAbstractButton *m_import;
    QAbstractButton *m_remove;
    ThemePreview *m_preview;
    QRadioButton *m_single;
    QRadioButton *m_perAppearance;
    QWidget *m_pickers;
    QComboBox *m_light;
    QComboBox *m_dark;
};

} // namespace Lectorin
