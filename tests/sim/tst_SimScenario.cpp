#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "sim/SimScenario.h"

class tst_SimScenario : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString writeFile(const QString& name, const QByteArray& text) {
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly)) {
            return QString();
        }
        file.write(text);
        return file.fileName();
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void optionSetsItsKnob_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("expected");
        const auto row = [](const char* name, const char* key, const char* value, const char* field,
                            const QVariant& expected) {
            QTest::newRow(name) << QString(key) << QString(value) << QString(field) << expected;
        };
        row("hex vid", "vid", "0x102e", "vendorId", 0x102E);
        row("decimal pid", "pid", "5", "productId", 5);
        row("split 4024 B", "split", "4024", "wiresB", 24);
        row("split 2440 A", "split", "2440", "wiresA", 24);
        row("firmware as hex digits", "firmwareVersion", "620", "firmwareVersion", 0x620);
        row("noise", "noise", "2.5", "noise", 2.5);
        row("bool yes", "calibrated", "yes", "calibrated", true);
        row("bool off", "resetOnPrescalerChange", "off", "resetOnPrescalerChange", false);
        row("silence for ever", "silenceFor", "-1", "silenceForMs", -1);
        row("product text", "product", "Board X", "product", QStringLiteral("Board X"));
        row("ignored requests", "ignore", "5; 0x17", "ignoredOpcodes", QStringLiteral("5 23"));
    }
    void optionSetsItsKnob() {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, field);
        QFETCH(QVariant, expected);
        SimScenario scenario;
        QVERIFY(scenario.applyOption(key, value));
        QStringList ignored;
        for (int opcode : scenario.ignoredOpcodes) {
            ignored << QString::number(opcode);
        }
        const QHash<QString, QVariant> fields{
            {"ignoredOpcodes", ignored.join(QLatin1Char(' '))},
            {"vendorId", scenario.vendorId},
            {"productId", scenario.productId},
            {"wiresA", scenario.wiresA},
            {"wiresB", scenario.wiresB},
            {"firmwareVersion", scenario.firmwareVersion},
            {"noise", scenario.noise},
            {"calibrated", scenario.calibrated},
            {"resetOnPrescalerChange", scenario.resetOnPrescalerChange},
            {"silenceForMs", scenario.silenceForMs},
            {"product", scenario.product},
        };
        QVERIFY(fields.contains(field));
        QCOMPARE(fields.value(field).toString(), expected.toString());
    }

    void badOptionIsRefusedAndChangesNothing_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        const char* const rows[][3] = {
            {"unknown key", "colour", "blue"},
            {"split not a sensor", "split", "4040x"},
            {"split other counts", "split", "3232"},
            {"vid too large", "vid", "0x10000"},
            {"vid not a number", "vid", "abc"},
            {"param version 2", "paramVersion", "2"},
            {"negative latency", "latency", "-5"},
            {"noise above range", "noise", "51"},
            {"noise not a number", "noise", "nan"},
            {"wire index beyond 39", "brokenWireB", "40"},
            {"bool word", "calibrated", "maybe"},
            {"touch off the sensor", "touches", "100:4096:10"},
            {"touch without time", "touches", ":10:10"},
            {"touch lift misspelt", "touches", "100:down"},
            {"unknown failure", "firmwareFailure", "explode"},
            {"malformed reports every 0 ms", "malformedEvery", "0"},
            {"ignored opcode beyond a byte", "ignore", "5;256"},
        };
        for (const auto& row : rows) {
            QTest::newRow(row[0]) << QString(row[1]) << QString(row[2]);
        }
    }
    void badOptionIsRefusedAndChangesNothing() {
        QFETCH(QString, key);
        QFETCH(QString, value);
        SimScenario scenario;
        scenario.latencyMs = 7;
        scenario.wiresB = 24;
        QString error;
        QVERIFY(!scenario.applyOption(key, value, &error));
        QVERIFY(error.contains(key));
        QCOMPARE(scenario.latencyMs, 7);
        QCOMPARE(scenario.wiresB, 24);
        QCOMPARE(scenario.wiresA, 40);
        QCOMPARE(scenario.vendorId, quint16(0x25C8));
        QVERIFY(scenario.touches.isEmpty());
        QCOMPARE(scenario.firmwareFailure, SimScenario::FirmwareFailure::None);
    }

    // Touch lists hold commas of their own, are sorted by time, and a bad item stops the
    // list where it stands.
    void argumentListWithTouchesHoldingCommas() {
        SimScenario scenario;
        QVERIFY(scenario.applyArgument("split=2440,touches=900:up; 100:10:4095,0:0:0,latency=9"));
        QCOMPARE(scenario.wiresA, 24);
        QCOMPARE(scenario.latencyMs, 9);
        QCOMPARE(scenario.touches.size(), 3);
        QCOMPARE(scenario.touches.at(1).atMs, 100);
        QCOMPARE(scenario.touches.at(1).b, 4095);
        QVERIFY(!scenario.touches.at(2).down);
        QString error;
        QVERIFY(!scenario.applyArgument("latency=3,split,noise=4", &error));
        QCOMPARE(scenario.latencyMs, 3);
        QCOMPARE(scenario.noise, 1.0);
        QVERIFY(error.contains("split"));
    }

    // A scenario file named on the command line, with or without its group.
    void scenarioFiles_data() {
        QTest::addColumn<QByteArray>("text");  // empty: no such file
        QTest::addColumn<QString>("refused");  // the key the error names; empty: applied
        QTest::addRow("with a scenario group")
            << QByteArray("[scenario]\nsplit=4024\ntouches=0:2048:2048, 1500:up\n") << "";
        QTest::addRow("without a group, a bad value")
            << QByteArray("split=4024\nnoise=-1\n") << "noise";
        QTest::addRow("missing file") << QByteArray() << "absent.ini";
    }
    void scenarioFiles() {
        QFETCH(QByteArray, text);
        QFETCH(QString, refused);
        const QString path =
            text.isEmpty() ? m_dir.filePath("absent.ini") : writeFile("scenario.ini", text);
        SimScenario scenario;
        QString error;
        QCOMPARE(scenario.applyArgument(path, &error), refused.isEmpty());
        QVERIFY2(error.contains(refused), qPrintable(error));
        if (refused.isEmpty()) {
            QCOMPARE(scenario.wiresB, 24);
            QCOMPARE(scenario.touches.size(), 2);
        }
    }
};

QTEST_GUILESS_MAIN(tst_SimScenario)
#include "tst_SimScenario.moc"
