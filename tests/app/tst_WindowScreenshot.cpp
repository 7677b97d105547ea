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

private:
    static constexpr int kShortTimeoutMs = 3000;
    static constexpr int kSettleMs = 5;
    static constexpr int kPollMs = 5;

    static QString scratchFile(const QString& name) {
        QFile::remove(QDir::current().filePath(name));
        return QDir::current().filePath(name);
    }

private slots:
    void pictureIsTakenOnceTheWindowIsEnabled() {
        QWidget window;
        window.resize(320, 200);
        window.setEnabled(false);
        window.show();
        const QString file = scratchFile(QStringLiteral("ready.png"));
        WindowScreenshot screenshot(&window, file);
        screenshot.setTimings(kShortTimeoutMs, kSettleMs, kPollMs);
        QSignalSpy finished(&screenshot, &WindowScreenshot::finished);
        screenshot.start();

        QTimer::singleShot(30, &window, [&window] { window.setEnabled(true); });
        QVERIFY(finished.wait());
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().toBool(), true);
        QVERIFY(window.isEnabled());
        const QImage picture(file);
        QCOMPARE(picture.size(), window.size() * window.devicePixelRatioF());
    }

    void pictureIsTakenAnywayAfterTheTimeout() {
        QWidget window;
        window.resize(100, 80);
        window.setEnabled(false);
        window.show();
        const QString file = scratchFile(QStringLiteral("late.png"));
        WindowScreenshot screenshot(&window, file);
        screenshot.setTimings(20, kSettleMs, kPollMs);
        QSignalSpy finished(&screenshot, &WindowScreenshot::finished);
        screenshot.start();
        QVERIFY(finished.wait());
        QCOMPARE(finished.first().first().toBool(), true);
        QVERIFY(!QImage(file).isNull());
    }

    void unwritableFileIsReported() {
        QWidget window;
        window.resize(100, 80);
        window.show();
        WindowScreenshot screenshot(&window,
                                    QDir::current().filePath(QStringLiteral("no/such/dir.png")));
        screenshot.setTimings(kShortTimeoutMs, kSettleMs, kPollMs);
        QSignalSpy finished(&screenshot, &WindowScreenshot::finished);
        screenshot.start();
        QVERIFY(finished.wait());
        QCOMPARE(finished.first().first().toBool(), false);
    }
};

QTEST_MAIN(tst_WindowScreenshot)
#include "tst_WindowScreenshot.moc"
