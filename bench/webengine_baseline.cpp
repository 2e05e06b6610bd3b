// SPDX-License-Identifier: GPL-3.0-or-later
// The floor of Lectorin's start: a Qt WebEngine view showing an empty page in a window of the same size, with
// the same trace marks (LECTORIN_TRACE=1). Given an HTML file, it shows that file instead: the bare engine's
// load of a document at start. With --click-to-load, a list of one row stands beside a blank page, and
// clicking the row loads FILE: the bare engine's answer to a click in a sidebar.
//   lectorin-webengine-baseline [--click-to-load] [FILE]
#include "platform/trace.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

int main(int argc, char *argv[])
{
    Lectorin::Trace::mark(QStringLiteral("process started"));
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    QStringList arguments = QApplication::arguments().mid(1);
    const bool clickToLoad = arguments.removeAll(QStringLiteral("--click-to-load")) > 0;
    QWidget window;
    window.resize(900, 525);
    auto *layout = new QHBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *view = new QWebEngineView;
    if (clickToLoad) {
        auto *list = new QListWidget;
        list->setFixedWidth(250);
        list->addItem(QStringLiteral("page"));
        layout->addWidget(list);
        QObject::connect(list, &QListWidget::itemClicked, view,
            [view, file = arguments.value(0)] { view->load(QUrl::fromLocalFile(file)); });
    }
    layout->addWidget(view);
    QObject::connect(view->page(), &QWebEnginePage::loadFinished, [](bool ok) {
        if (ok)
            Lectorin::Trace::mark(QStringLiteral("page loaded"));
    });
    if (!arguments.isEmpty() && !clickToLoad)
        view->load(QUrl::fromLocalFile(arguments.at(0)));
    else
        view->setHtml(QString());
    window.show();
    Lectorin::Trace::mark(QStringLiteral("window shown"));
    return application.exec();
}
