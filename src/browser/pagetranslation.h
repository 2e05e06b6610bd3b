// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

namespace Lectorin {

class AppModel;
class BrowserModel;

// Which copy of a translated page one window shows: the catalogue's translation or the untranslated page,
// and the switch between the two. The choice is the application model's, so every window showing the page
// follows it; switching reloads the page and records no visit.
class PageTranslation : public QObject
{
    Q_OBJECT

public:
    // Both must outlive this object; it is the browser's child.
    PageTranslation(BrowserModel *browser, AppModel *app);

    // The translation the catalogue shows for the page on display ("de", "pt_BR"); empty when the page is
    // untranslated or none is shown.
    const QString &language() const { return m_state.language; }
    // Whether the page has both copies to switch between.
    bool canSwitch() const { return m_state.canSwitch; }
    bool showsTranslation() const { return m_state.showsTranslation; }
    void setShowsTranslation(bool shows);
    void toggle() { setShowsTranslation(!showsTranslation()); }

Q_SIGNALS:
    void changed();

private:
    struct State
    {
        QString language;
        bool canSwitch = false;
        bool showsTranslation = true;
        bool operator==(const State &) const = default;
    };

    void update();

    BrowserModel *m_browser;
    AppModel *m_app;
    State m_state;
};

} // namespace Lectorin
