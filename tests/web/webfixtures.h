// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/appmodel.h"
#include "catalogue/searchpathcache.h"
#include "web/manschemehandler.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QWebEnginePage>

#include <atomic>
#include <memory>

#include <unistd.h>

namespace Lectorin::WebFixtures {

inline bool writeFile(const QString &path, const QByteArray &contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(contents) == contents.size();
}

inline QByteArray mdocPage(const QByteArray &name, const QByteArray &section, const QByteArray &body)
{
    return ".Dd January 1, 2024\n.Dt " + name.toUpper() + ' ' + section + "\n.Os\n.Sh NAME\n.Nm " + name
        + "\n.Nd a test page\n" + body;
}

// "greet(1)": an outline with a subsection, and a SEE ALSO mixing marked and unmarked references.
inline const QByteArray kGreetBody = ".Sh DESCRIPTION\n.Nm\nprints greetings.\n"
                                     ".Ss Extra   Options\nSee also\n.Ic ls ,\n.Ic constructor\n"
                                     "and\n.Ic toString .\n"
                                     ".Sh SEE ALSO\n.Xr printf 3 ,\nls(1), greet(1), nosuch(1), open(7),\n"
                                     "\\fIls(1)\\fP\\fBprintf(3)\\fP and\n.Li Foo::Bar(3pm)\n";

// A manual tree written into a temporary folder and a model over it with its own settings file. The first
// catalogue load can be held back to test the wait for it.
struct FixtureCatalogue
{
    QTemporaryDir dir;
    std::unique_ptr<QSettings> settings;
    std::shared_ptr<std::atomic<bool>> holdLoad = std::make_shared<std::atomic<bool>>(false);
    std::unique_ptr<AppModel> app;

    enum class Paths
    {
        discovered,
        // The manual folder is remembered from an earlier run: pages are found before the catalogue.
        remembered,
    };

    // `languages` stand for the reader's locale; none given, the test process's locale decides.
    explicit FixtureCatalogue(
        std::optional<QStringList> languages = std::nullopt, Paths paths = Paths::discovered)
    {
        settings = std::make_unique<QSettings>(dir.filePath("settings.ini"), QSettings::IniFormat);
        const QString man = dir.filePath("man");
        writeFile(man + "/man1/ls.1", mdocPage("ls", "1", ".Sh DESCRIPTION\nLists files. See ls(1).\n"));
        writeFile(man + "/man1/greet.1", mdocPage("greet", "1", kGreetBody));
        writeFile(man + "/man1/open.1", mdocPage("open", "1", ".Sh DESCRIPTION\nOpens.\n"));
        writeFile(man + "/man1/git log.1", mdocPage("git log", "1", ".Sh DESCRIPTION\nShows.\n"));
        writeFile(man + "/man1/g++.1", mdocPage("g++", "1", ".Sh DESCRIPTION\nCompiles.\n"));
        writeFile(man + "/man3/printf.3", mdocPage("printf", "3", ".Sh DESCRIPTION\nFormats.\n"));
        writeFile(man + "/man3/Foo::Bar.3pm", mdocPage("Foo::Bar", "3pm", ".Sh DESCRIPTION\nPerl.\n"));
        writeFile(man + "/man3/XDrawLine.3X11", mdocPage("XDrawLine", "3X11", ".Sh DESCRIPTION\nDraws.\n"));
        writeFile(man + "/man3/XDrawLine.3", mdocPage("XDrawLine", "3", ".Sh DESCRIPTION\nOther.\n"));
        writeFile(man + "/mann/after.n", mdocPage("after", "n", ".Sh DESCRIPTION\nTcl.\n"));
        writeFile(man + "/man8/constructor.8", mdocPage("constructor", "8", ".Sh DESCRIPTION\nBuilds.\n"));
        const auto hold = holdLoad;
        AppModel::Discovery discovery {
            [man, hold] {
                while (hold->load())
                    QThread::msleep(10);
                return QStringList { man };
            },
            [] { return QStringList(); },
            QString(),
            std::move(languages),
        };
        discovery.stop = [hold] { *hold = false; };
        if (paths == Paths::remembered) {
            discovery.cacheFile = dir.filePath("search-paths.json");
            SearchPathCache::write(discovery.cacheFile, { { man }, { dir.filePath("bin") } });
        }
        app = std::make_unique<AppModel>(settings.get(), std::move(discovery));
    }

    QString manRoot() const { return dir.filePath("man"); }

    bool loadAndWait()
    {
        app->loadIndexIfNeeded();
        return QTest::qWaitFor([this] { return app->indexState() == AppModel::IndexState::ready; }, 30000);
    }
};

// Runs a script in the page's main world and waits for its value.
inline QVariant evaluate(QWebEnginePage *page, const QString &script)
{
    QVariant value;
    bool done = false;
    page->runJavaScript(script, [&](const QVariant &result) {
        value = result;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 15000))
        return QVariant();
    return value;
}

// pdfinfo's "Pages" and "Page size" lines.
struct PdfInfo
{
    int pages = 0;
    QString pageSize;
};

inline PdfInfo pdfInfo(const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), { path });
    process.waitForFinished(30000);
    PdfInfo info;
    for (const QString &line : QString::fromUtf8(process.readAllStandardOutput()).split(u'\n')) {
        if (line.startsWith(u"Pages:"))
            info.pages = line.mid(6).trimmed().toInt();
        else if (line.startsWith(u"Page size:"))
            info.pageSize = line.mid(10).trimmed();
    }
    return info;
}

// The engine runs headless here: no display, no GPU, and no sandbox when the tests run as root.
inline void prepareHeadlessEngine()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    registerManUrlScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QStandardPaths::setTestModeEnabled(true);
}

} // namespace Lectorin::WebFixtures

#define LECTORIN_WEB_TEST_MAIN(TestObject)                                                                   \
    int main(int argc, char *argv[])                                                                         \
    {                                                                                                        \
        Lectorin::WebFixtures::prepareHeadlessEngine();                                                      \
        QApplication application(argc, argv);                                                                \
        TestObject test;                                                                                     \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
