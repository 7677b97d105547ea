#include <QDir>
#include <QMouseEvent>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

#include "sensitivity/MonitorWidget.h"
#include "tests/support/TestSettings.h"

namespace {
const QColor kOrange(245, 128, 38);
const QColor kMagenta(226, 1, 119);
const QColor kMouseBlue(0, 188, 228);
const QColor kBlack(Qt::black);
}  // namespace

class tst_MonitorWidget : public QObject {
    Q_OBJECT

private:
    QTouchDevice* m_device = nullptr;
    std::unique_ptr<MonitorWidget> m_monitor;
    int m_random = 100;

    // A window on screen with the given erase mode, a fixed clock and random colour
    // components.
    MonitorWidget* open(const char* erase = "NONE") {
        QSettings().setValue(QStringLiteral("MonitorView/Erase"), QString::fromLatin1(erase));
        m_monitor = std::make_unique<MonitorWidget>();
        m_monitor->setClock([] { return QTime(12, 34, 56, 7); });
        m_monitor->setRandomComponent([this] { return m_random; });
        m_monitor->resize(640, 480);
        m_monitor->show();
        if (!QTest::qWaitForWindowExposed(m_monitor.get())) {
            qWarning("window not exposed");
        }
        return m_monitor.get();
    }
    QColor pixel(int x, int y) const { return m_monitor->image().pixelColor(x, y); }
    // Colour of the stroke under a point, or black.
    void stroke(int id, QPoint from, QPoint to, bool release = true) {
        QTest::touchEvent(m_monitor.get(), m_device).press(id, from, m_monitor.get());
        QTest::touchEvent(m_monitor.get(), m_device).move(id, to, m_monitor.get());
        if (release) {
            QTest::touchEvent(m_monitor.get(), m_device).release(id, to, m_monitor.get());
        }
    }
    QStringList lines() const {
        return m_monitor->logText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private slots:
    void initTestCase() {
        useTestSettings();
        m_device = QTest::createTouchDevice();
    }
    void cleanup() {
        m_monitor.reset();
        QSettings().clear();
    }

    // Cap, join and line style from their texts; unknown texts give Qt's value 0.
    void penStyles_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QList<int>>("capJoinLine");
        const auto row = [](const char* key, const char* value, QList<int> expected) {
            QTest::addRow("%s %s", key, value)
                << QString::fromLatin1(key) << QString::fromLatin1(value) << expected;
        };
        row("", "defaults", {Qt::SquareCap, Qt::MiterJoin, Qt::SolidLine});
        row("Cap", "RoundCap", {Qt::RoundCap, Qt::MiterJoin, Qt::SolidLine});
        row("Cap", "Round", {Qt::FlatCap, Qt::MiterJoin, Qt::SolidLine});
        row("Join", "BeveJoin", {Qt::SquareCap, Qt::BevelJoin, Qt::SolidLine});
        row("Join", "SvgMilterJoin", {Qt::SquareCap, Qt::SvgMiterJoin, Qt::SolidLine});
        row("Line", "DashDotDotLine", {Qt::SquareCap, Qt::MiterJoin, Qt::DashDotDotLine});
        row("Line", "Dotted", {Qt::SquareCap, Qt::MiterJoin, Qt::NoPen});
    }
    void penStyles() {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QList<int>, capJoinLine);
        if (!key.isEmpty()) {
            QSettings().setValue(QStringLiteral("MonitorView/") + key, value);
        }
        const MonitorWidget::DrawingSettings s = MonitorWidget::readDrawingSettings();
        QCOMPARE(QList<int>({s.cap, s.join, s.line}), capJoinLine);
    }

    // Contacts are numbered by slot: with n fingers down the last is "Touch <n - 1>".
    // Touch 0 is orange, touch 1 and 10 magenta (the name has a 1), others a random colour
    // mixed with white; the log line of a press is written in the contact's colour.
    void coloursOfContacts_data() {
        QTest::addColumn<int>("contact");
        QTest::addColumn<QColor>("colour");
        QTest::addRow("contact 0") << 0 << kOrange;
        QTest::addRow("contact 1") << 1 << kMagenta;
        QTest::addRow("contact 10") << 10 << kMagenta;
        QTest::addRow("contact 2") << 2 << QColor(177, 177, 177);
        QTest::addRow("contact 20") << 20 << kOrange;
    }
    void coloursOfContacts() {
        QFETCH(int, contact);
        QFETCH(QColor, colour);
        open();
        {
            QTest::QTouchEventSequence fingers = QTest::touchEvent(m_monitor.get(), m_device);
            for (int id = 0; id < contact; ++id) {
                fingers.press(id, QPoint(250 + 15 * id, 420), m_monitor.get());
            }
            fingers.press(contact, QPoint(300, 300), m_monitor.get());
        }
        QTest::touchEvent(m_monitor.get(), m_device)
            .move(contact, QPoint(400, 300), m_monitor.get());
        const QString name = QStringLiteral("Touch %1").arg(contact);
        QCOMPARE(m_monitor->strCurColor().value(name), colour);
        QCOMPARE(pixel(350, 300), colour);
        QCOMPARE(m_monitor->logColors().value(contact), colour);
        QVERIFY(
            lines().value(contact).contains(name + QStringLiteral(" Pressed X:-> 300 Y:-> 300")));
    }

    // A finger lifted frees its number for the next one.
    void contactNumbersAreReused() {
        open();
        QTest::touchEvent(m_monitor.get(), m_device)
            .press(5, QPoint(300, 100), m_monitor.get())
            .press(6, QPoint(300, 200), m_monitor.get());
        QTest::touchEvent(m_monitor.get(), m_device)
            .release(5, QPoint(300, 100), m_monitor.get())
            .stationary(6);
        QTest::touchEvent(m_monitor.get(), m_device)
            .stationary(6)
            .press(7, QPoint(300, 300), m_monitor.get());
        QCOMPARE(lines().last(), QStringLiteral("12:34:56:007 Touch 0 Pressed X:-> 300 Y:-> 300"));
        QCOMPARE(lines().at(1), QStringLiteral("12:34:56:007 Touch 1 Pressed X:-> 300 Y:-> 200"));
    }

    void penWidthZeroIsDrawnTen_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("drawnWidth");
        QTest::addRow("0 drawn as 10") << 0 << 10;
        QTest::addRow("negative drawn as 10") << -4 << 10;
        QTest::addRow("2") << 2 << 2;
        QTest::addRow("20") << 20 << 20;
    }
    void penWidthZeroIsDrawnTen() {
        QFETCH(int, width);
        QFETCH(int, drawnWidth);
        QSettings().setValue(QStringLiteral("MonitorView/Penwidth"), width);
        open();
        stroke(0, QPoint(300, 200), QPoint(500, 200));
        int covered = 0;
        for (int y = 150; y < 250; ++y) {
            covered += pixel(400, y) == kOrange ? 1 : 0;
        }
        // Antialiased edges may take a pixel from either side.
        QVERIFY2(std::abs(covered - drawnWidth) <= 1, qPrintable(QString::number(covered)));
    }

    void pressLeavesADot_data() {
        QTest::addColumn<QString>("cap");
        QTest::addRow("square") << QStringLiteral("SquareCap");
        QTest::addRow("round") << QStringLiteral("RoundCap");
        QTest::addRow("flat") << QStringLiteral("FlatCap");
    }
    void pressLeavesADot() {
        QFETCH(QString, cap);
        QSettings().setValue(QStringLiteral("MonitorView/Cap"), cap);
        open();
        QTest::touchEvent(m_monitor.get(), m_device).press(0, QPoint(300, 200), m_monitor.get());
        QTest::touchEvent(m_monitor.get(), m_device).release(0, QPoint(300, 200), m_monitor.get());
        QCOMPARE(pixel(302, 202), kOrange);
        QCOMPARE(pixel(300, 215), kBlack);
    }

    void logLines() {
        open();
        QTest::touchEvent(m_monitor.get(), m_device)
            .press(0, QPoint(300, 200), m_monitor.get())
            .press(1, QPoint(420, 250), m_monitor.get());
        QTest::touchEvent(m_monitor.get(), m_device)
            .move(0, QPoint(310, 200), m_monitor.get())
            .release(1, QPoint(420, 250), m_monitor.get());
        QTest::touchEvent(m_monitor.get(), m_device).release(0, QPoint(310, 200), m_monitor.get());
        QTest::mousePress(m_monitor.get(), Qt::LeftButton, {}, QPoint(500, 300));
        QTest::mouseRelease(m_monitor.get(), Qt::LeftButton, {}, QPoint(500, 300));
        QCOMPARE(lines(),
                 QStringList({QStringLiteral("12:34:56:007 Touch 0 Pressed X:-> 300 Y:-> 200"),
                              QStringLiteral("12:34:56:007 Touch 1 Pressed X:-> 420 Y:-> 250"),
                              QStringLiteral("12:34:56:007 Touch 1 Released X:-> 420 Y:-> 250"),
                              QStringLiteral("12:34:56:007 Touch 0 Released X:-> 310 Y:-> 200"),
                              QStringLiteral("12:34:56:007 Mouse 1 clicked X:-> 500 Y:-> 300"),
                              QStringLiteral("12:34:56:007 Mouse 1 Released X:-> 500 Y:-> 300")}));
        QCOMPARE(m_monitor->logColors(),
                 QList<QColor>({kOrange, kMagenta, kMagenta, kOrange, kMouseBlue, kMouseBlue}));
        QCOMPARE(pixel(500, 300), kMouseBlue);
        m_monitor->addText(QString());
        QCOMPARE(lines().last(), QStringLiteral("12:34:56:007"));
        m_monitor->clearText();
        QVERIFY(m_monitor->logText().isEmpty());
    }

    // A touch on the log draws and logs like one on the drawing.
    void touchOnTheLogReachesTheDrawing() {
        open();
        const QWidget* log = m_monitor->findChild<QTextEdit*>();
        QVERIFY(log && log->geometry().contains(QPoint(60, 60)));
        stroke(0, QPoint(60, 60), QPoint(120, 60));
        QCOMPARE(lines().size(), 2);
        QCOMPARE(pixel(90, 60), kOrange);
    }

    // Mouse events that the system or Qt made from a touch draw no second trail.
    void mouseMadeFromTouchIsIgnored_data() {
        QTest::addColumn<int>("source");
        QTest::addColumn<bool>("drawn");
        QTest::addRow("real mouse") << int(Qt::MouseEventNotSynthesized) << true;
        QTest::addRow("by the system") << int(Qt::MouseEventSynthesizedBySystem) << false;
        QTest::addRow("by Qt") << int(Qt::MouseEventSynthesizedByQt) << false;
    }
    void mouseMadeFromTouchIsIgnored() {
        QFETCH(int, source);
        QFETCH(bool, drawn);
        open();
        const auto send = [this, source](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
            QMouseEvent event(type, at, at, m_monitor->mapToGlobal(at.toPoint()), Qt::LeftButton,
                              buttons, Qt::NoModifier, Qt::MouseEventSource(source));
            QApplication::sendEvent(m_monitor.get(), &event);
        };
        send(QEvent::MouseButtonPress, QPointF(300, 300), Qt::LeftButton);
        send(QEvent::MouseMove, QPointF(400, 300), Qt::LeftButton);
        send(QEvent::MouseButtonRelease, QPointF(400, 300), Qt::NoButton);
        QCOMPARE(pixel(350, 300) == kMouseBlue, drawn);
        QCOMPARE(lines().size(), drawn ? 2 : 0);
    }

    // What is left of two strokes after their contacts are released.
    void erasing_data() {
        QTest::addColumn<QString>("erase");
        QTest::addColumn<bool>("eraseSF");
        QTest::addColumn<bool>("firstLeft");   // after the first contact is released
        QTest::addColumn<bool>("secondLeft");  // after the last contact is released
        QTest::addColumn<bool>("leftAtNextTouch");
        QTest::addRow("ER: all on the last release") << "ER" << false << true << false << false;
        QTest::addRow("ETR: at the next touch") << "ETR" << false << true << true << false;
        QTest::addRow("EF: each on its release") << "EF" << false << false << false << false;
        QTest::addRow("EB: all on the last release") << "EB" << false << true << false << false;
        QTest::addRow("NONE: nothing") << "NONE" << false << true << true << true;
        QTest::addRow("NONE with EraseSF") << "NONE" << true << false << true << true;
    }
    void erasing() {
        QFETCH(QString, erase);
        QFETCH(bool, eraseSF);
        QFETCH(bool, firstLeft);
        QFETCH(bool, secondLeft);
        QFETCH(bool, leftAtNextTouch);
        QSettings().setValue(QStringLiteral("MonitorView/EraseSF"), eraseSF);
        open(qPrintable(erase));
        QTest::touchEvent(m_monitor.get(), m_device)
            .press(0, QPoint(300, 100), m_monitor.get())
            .press(1, QPoint(300, 300), m_monitor.get());
        QTest::touchEvent(m_monitor.get(), m_device)
            .move(0, QPoint(500, 100), m_monitor.get())
            .move(1, QPoint(500, 300), m_monitor.get());
        QTest::touchEvent(m_monitor.get(), m_device)
            .release(0, QPoint(500, 100), m_monitor.get())
            .stationary(1);
        QCOMPARE(pixel(400, 100) != kBlack, firstLeft);
        QCOMPARE(pixel(400, 300), kMagenta);
        QTest::touchEvent(m_monitor.get(), m_device).release(1, QPoint(500, 300), m_monitor.get());
        QCOMPARE(pixel(400, 300) != kBlack, secondLeft);
        QTest::touchEvent(m_monitor.get(), m_device).press(2, QPoint(100, 400), m_monitor.get());
        QCOMPARE(pixel(400, 300) != kBlack, leftAtNextTouch);
    }

    void trailKeepsTheLatestPart() {
        open("TRAIL");
        QTest::touchEvent(m_monitor.get(), m_device).press(0, QPoint(100, 300), m_monitor.get());
        for (int x = 110; x <= 500; x += 10) {
            QTest::touchEvent(m_monitor.get(), m_device).move(0, QPoint(x, 300), m_monitor.get());
        }
        QCOMPARE(pixel(495, 300), kOrange);
        QCOMPARE(pixel(105, 300), kBlack);
    }

    void saveWritesThePictureOrNothing_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addRow("chosen file") << QStringLiteral("touches.png");
        QTest::addRow("no suffix is still PNG") << QStringLiteral("touches");
        QTest::addRow("cancelled") << QString();
    }
    void saveWritesThePictureOrNothing() {
        QFETCH(QString, chosen);
        open();
        stroke(0, QPoint(300, 200), QPoint(400, 200));
        QDir here;
        const QStringList before = here.entryList(QDir::Files);
        m_monitor->setSaveFileChooser([&](QWidget*, const QString&, const QString&) {
            return chosen.isNull() ? QString() : here.absoluteFilePath(chosen);
        });
        m_monitor->findChild<QToolButton*>(QStringLiteral("buttonSave"))->click();
        if (chosen.isNull()) {
            QCOMPARE(here.entryList(QDir::Files), before);
            QVERIFY(!QFile::exists(QStringLiteral("image")));
            return;
        }
        QImage saved;
        QVERIFY(saved.load(chosen, "PNG"));
        QCOMPARE(saved.size(), QSize(640, 480));
        QCOMPARE(saved.pixelColor(350, 200), kOrange);
        QFile::remove(chosen);
    }

    void eraseButtonClearsDrawingAndLog() {
        open();
        stroke(0, QPoint(300, 200), QPoint(400, 200));
        m_monitor->findChild<QToolButton*>(QStringLiteral("buttonErase"))->click();
        QCOMPARE(pixel(350, 200), kBlack);
        QVERIFY(m_monitor->logText().isEmpty());
    }

    // Growing the window keeps the drawing; shrinking and growing again loses nothing.
    void resizeKeepsTheDrawing() {
        open();
        stroke(0, QPoint(500, 400), QPoint(600, 400));
        m_monitor->resize(300, 300);
        m_monitor->resize(900, 700);
        QTRY_COMPARE(m_monitor->image().size(), QSize(900, 700));
        QCOMPARE(pixel(550, 400), kOrange);
        QCOMPARE(pixel(850, 650), kBlack);
    }
};

QTEST_MAIN(tst_MonitorWidget)
#include "tst_MonitorWidget.moc"
