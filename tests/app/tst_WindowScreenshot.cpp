#include <QDir>
#include <QImage>
#include <QSignalSpy>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include "app/WindowScreenshot.h"

// The picture a newcomer gets of the tool on a machine without a display.
class tst_WindowScreenshot : public QObject {
    Q_OBJECT

private slots:
    // The picture waits for the window to be enabled, is taken anyway after the timeout,
    // and a file that cannot be written is reported.
    void pictureIsTakenOnceTheWindowIsReady_data() {
        QTest::addColumn<int>("enableAfterMs");  // -1: stays greyed
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("written");
        QTest::addRow("enabled after a while") << 30 << 3000 << "ready.png" << true;
        QTest::addRow("never enabled, taken after the timeout") << -1 << 20 << "late.png" << true;
        QTest::addRow("unwritable file") << 0 << 3000 << "no/such/dir.png" << false;
    }
    void pictureIsTakenOnceTheWindowIsReady() {
        QFETCH(int, enableAfterMs);
        QFETCH(int, timeoutMs);
        QFETCH(QString, file);
        QFETCH(bool, written);
        QWidget window;
        window.resize(320, 200);
        window.setEnabled(enableAfterMs == 0);
        window.show();
        const QString path = QDir::current().filePath(file);
        QFile::remove(path);
        WindowScreenshot screenshot(&window, path);
        screenshot.setTimings(timeoutMs, 5, 5);
        QSignalSpy finished(&screenshot, &WindowScreenshot::finished);
        screenshot.start();
        if (enableAfterMs > 0) {
            QTimer::singleShot(enableAfterMs, &window, [&window] { window.setEnabled(true); });
        }
        QVERIFY(finished.wait());
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().toBool(), written);
        if (written) {
            QCOMPARE(QImage(path).size(), window.size() * window.devicePixelRatioF());
        }
        if (enableAfterMs > 0) {
            QVERIFY(window.isEnabled());
        }
    }
};

QTEST_MAIN(tst_WindowScreenshot)
#include "tst_WindowScreenshot.moc"
