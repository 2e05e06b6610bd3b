// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/findbar.h"

#include "browser/browsermodel.h"
#include "browser/optionjump.h"
#include "browser/scriptcall.h"
#include "ui/accessiblenames.h"
#include "ui/fallbackicons.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>

#include <utility>

namespace Lectorin {
namespace {

// The engine focuses the link that holds the current match; left so, Return would follow it after find.
const QString kUnfocusMatchLinkScript
    = QStringLiteral("const focused = document.activeElement;"
                     " if (focused && focused !== document.body && focused.closest('a')) focused.blur();");

QToolButton *makeButton(QWidget *parent, const QString &iconName, FallbackIcons::Shape fallback,
    const QString &name, const QString &toolTip)
{
    auto *button = new QToolButton(parent);
    button->setIcon(FallbackIcons::themed(iconName, fallback));
    button->setAccessibleName(name);
    button->setToolTip(toolTip);
    button->setAutoRaise(true);
    return button;
}

} // namespace

FindBar::FindBar(BrowserModel *browser, QWidget *parent)
    : QWidget(parent)
    , m_browser(browser)
    , m_field(new QLineEdit(this))
    , m_matches(new QLabel(this))
{
    m_field->setPlaceholderText(tr("Find in page"));
    m_field->setClearButtonEnabled(true);
    m_field->installEventFilter(this);
    m_field->setAccessibleName(tr("Find in page"));
    AccessibleNames::nameClearButton(m_field, tr("Clear the find field"));
    auto *previous = makeButton(this, QStringLiteral("go-up"), FallbackIcons::Shape::up, tr("Previous match"),
        tr("Previous match (Shift+Enter)"));
    auto *next = makeButton(this, QStringLiteral("go-down"), FallbackIcons::Shape::down, tr("Next match"),
        tr("Next match (Enter)"));
    auto *done = makeButton(this, QStringLiteral("window-close"), FallbackIcons::Shape::close,
        tr("Close the find bar"), tr("Close (Escape)"));
    m_matches->setAccessibleName(tr("Matches"));

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->addWidget(m_field, 1);
    layout->addWidget(m_matches);
    layout->addWidget(previous);
    layout->addWidget(next);
    layout->addWidget(done);

    connect(m_field, &QLineEdit::textChanged, this, [this] { find(false); });
    connect(previous, &QToolButton::clicked, this, [this] { find(true); });
    connect(next, &QToolButton::clicked, this, [this] { find(false); });
    connect(done, &QToolButton::clicked, this, &FindBar::close);

    setVisible(browser->isFindPresented());
    connect(browser, &BrowserModel::isFindPresentedChanged, this, [this](bool presented) {
        // Hiding the focused field would pass the focus on as a Tab press, which the engine answers by
        // focusing the page's first link and scrolling to the top.
        if (!presented && m_pageView && isAncestorOf(QApplication::focusWidget()))
            m_pageView->setFocus(Qt::OtherFocusReason);
        setVisible(presented);
        if (presented) {
            if (!m_keepsFocus) {
                m_field->setFocus(Qt::ShortcutFocusReason);
                m_field->selectAll();
            }
            find(false);
        } else if (m_browser) {
            m_browser->page()->findText(QString());
            m_matches->clear();
            ScriptCall::call(m_browser->page(), kUnfocusMatchLinkScript, {}, this);
        }
    });
    // Matches found while a page loads belong to the page before; the loaded one is searched anew.
    connect(browser->page(), &QWebEnginePage::loadFinished, this, [this](bool ok) {
        if (ok && m_browser && m_browser->isFindPresented() && !m_field->text().isEmpty())
            find(false);
    });
}

void FindBar::startFinding(const QString &text)
{
    if (!m_browser || text.isEmpty())
        return;
    {
        const QSignalBlocker blocker(m_field);
        m_field->setText(text);
    }
    if (m_browser->isFindPresented()) {
        find(false);
        return;
    }
    m_keepsFocus = true;
    m_browser->setFindPresented(true);
    m_keepsFocus = false;
}

void FindBar::setPageView(QWidget *view)
{
    m_pageView = view;
    // Keys go to the engine's widget inside the view, which the view makes when a page first shows.
    view->installEventFilter(this);
    for (QWidget *child : view->findChildren<QWidget *>())
        child->installEventFilter(this);
}

QString FindBar::matchText() const
{
    return m_matches->text();
}

bool FindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_pageView && event->type() == QEvent::ChildAdded) {
        if (QObject *child = static_cast<QChildEvent *>(event)->child(); child->isWidgetType())
            child->installEventFilter(this);
        return QWidget::eventFilter(watched, event);
    }
    // Only the page itself: a context menu of the view takes its own Escape.
    const bool inPage = m_pageView && (watched == m_pageView || watched == m_pageView->focusProxy());
    if (inPage && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier && m_browser
            && m_browser->isFindPresented()) {
            close();
            return true;
        }
    }
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            find(key->modifiers() & Qt::ShiftModifier);
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            close();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FindBar::find(bool backward)
{
    if (!m_browser)
        return;
    const QString text = m_field->text();
    if (text.isEmpty()) {
        m_searchedText.clear();
        m_browser->page()->findText(QString());
        m_matches->clear();
        return;
    }
    QPointer<FindBar> self(this);
    const auto findText = [self, text, backward] {
        if (!self || !self->m_browser)
            return;
        self->m_browser->page()->findText(text,
            backward ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags(),
            [self](const QWebEngineFindTextResult &result) {
                if (self)
                    self->showResult(result);
            });
    };
    // A new search for an option starts at its definition, before the mentions.
    const bool startsSearch = std::exchange(m_searchedText, text) != text;
    if (startsSearch && !backward && OptionJump::looksLikeOption(text)) {
        m_browser->page()->findText(QString());
        m_browser->placeCaretBeforeDefinition(text, findText);
        return;
    }
    findText();
}

void FindBar::showResult(const QWebEngineFindTextResult &result)
{
    if (result.numberOfMatches() == 0)
        m_matches->setText(tr("No matches"));
    else
        m_matches->setText(tr("%1 of %2").arg(result.activeMatch()).arg(result.numberOfMatches()));
}

void FindBar::close()
{
    if (m_browser)
        m_browser->setFindPresented(false);
}

} // namespace Lectorin
