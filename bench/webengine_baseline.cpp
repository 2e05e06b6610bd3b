// SPDX-License-Identifier: GPL-3.0-or-later
// The floor of Lectorin's start: a Qt WebEngine view showing an empty page in a window of the same size, with
// the same trace marks (LECTORIN_TRACE=1). Given an HTML file, it shows that file instead: the bare engine's
// load of a document at start.
//   lectorin-webengine-baseline [FILE]
#include "platform/trace.h"

#include <QApplication>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

int main(int argc, char *argv[])
{
    Lectorin::Trace::mark(QStringLiteral("process started"));
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    QWebEngineView view;
    view.resize(900, 525);
    QObject::connect(view.page(), &QWebEnginePage::loadFinished, [](bool ok) {
        if (ok)
            Lectorin::Trace::mark(QStringLiteral("page loaded"));
    });
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        view.load(QUrl::fromLocalFile(arguments.at(1)));
    else
        view.setHtml(QString());
    view.show();
    Lectorin::Trace::mark(QStringLiteral("window shown"));
    return application.exec();
}
