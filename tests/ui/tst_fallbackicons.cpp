// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/fallbackicons.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>

using namespace Lectorin;

class FallbackIconsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void drawnIcons_readOnTheToolbarInLightAndDark_data();
    void drawnIcons_readOnTheToolbarInLightAndDark();
};

void FallbackIconsTest::drawnIcons_readOnTheToolbarInLightAndDark_data()
{
    QTest::addColumn<QColor>("window");
    QTest::addColumn<QColor>("text");
    // Fusion's own light and dark toolbars.
    QTest::newRow("light") << QColor(0xEF, 0xEF, 0xEF) << QColor(Qt::black);
    QTest::newRow("dark") << QColor(0x35, 0x35, 0x35) << QColor(Qt::white);
}

// Every pixel the icon paints is measured: the strongest must read at 3:1 against the toolbar, enabled and
// disabled, and the two states must differ.
void FallbackIconsTest::drawnIcons_readOnTheToolbarInLightAndDark()
{
    QFETCH(QColor, window);
    QFETCH(QColor, text);
    QCOMPARE(FallbackIcons::contrastRatio(Qt::black, Qt::white), 21.0);
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    QApplication::setPalette(palette);

    const auto strongest = [&](const QIcon &icon, QIcon::Mode mode) {
        QImage image(24, 24, QImage::Format_ARGB32);
        image.fill(window);
        QPainter painter(&image);
        icon.paint(&painter, image.rect(), Qt::AlignCenter, mode);
        painter.end();
        double best = 1;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                best = std::max(best, FallbackIcons::contrastRatio(image.pixelColor(x, y), window));
        }
        return best;
    };
    for (const FallbackIcons::Shape shape : { FallbackIcons::Shape::back, FallbackIcons::Shape::forward,
             FallbackIcons::Shape::up, FallbackIcons::Shape::down, FallbackIcons::Shape::close }) {
        const QIcon icon = FallbackIcons::icon(shape);
        const double enabled = strongest(icon, QIcon::Normal);
        const double disabled = strongest(icon, QIcon::Disabled);
        QVERIFY2(enabled >= 3.0, qPrintable(QString::number(enabled)));
        QVERIFY2(disabled >= 3.0, qPrintable(QString::number(disabled)));
        QVERIFY2(enabled - disabled >= 3.0, qPrintable(QStringLiteral("%1 %2").arg(enabled).arg(disabled)));
    }
}

QTEST_MAIN(FallbackIconsTest)
#include "tst_fallbackicons.moc"
