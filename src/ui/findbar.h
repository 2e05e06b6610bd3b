// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QWebEnginePage;
class QWebEngineFindTextResult;

namespace Lectorin {

class BrowserModel;

// The find bar above a page: Enter finds the next match, Shift+Enter the previous, Escape closes it; shows
// the match count. Open while the browser's isFindPresented is true. Closing it leaves the page where it is,
// with the current match selected.
class FindBar : public QWidget
{
    Q_OBJECT

public:
    FindBar(BrowserModel *browser, QWidget *parent = nullptr);

    QLineEdit *field() const { return m_field; }
    QString matchText() const;
    // The page's view: it takes the focus back when the bar closes with the focus in it, and Escape pressed
    // in it closes the bar too.
    void setPageView(QWidget *view);
    // Opens the bar on `text` and finds it, leaving the focus where it is; the search runs again once the
    // page that is loading has loaded.
    void startFinding(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void find(bool backward);
    void showResult(const QWebEngineFindTextResult &result);
    void close();

    QPointer<BrowserModel> m_browser;
    QLineEdit *m_field;
    // What the last search looked for: a new one for an option starts at its definition.
    QString m_searchedText;
    QLabel *m_matches;
    QPointer<QWidget> m_pageView;
    bool m_keepsFocus = false;
};

} // namespace Lectorin
