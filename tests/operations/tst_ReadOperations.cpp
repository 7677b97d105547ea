#include <QtTest>

#include <functional>

#include "operations/CalibrationDataStore.h"
#include "operations/getoperations.h"
#include "LogSpy.h"
#include "OpsSimRig.h"

using Query = std::function<QVariant(getoperations&)>;
Q_DECLARE_METATYPE(Query)

namespace {
const QByteArray kUnrotated =
    QByteArray::fromHex("9a019a01e803d007660e9a01b80bd0079a01660ee803f401");
const QByteArray kRotated = QByteArray::fromHex("9a01660ee803d007660e660eb80bd0079a019a01e803f401");
const QString kUnexpected =
    QStringLiteral("Unexpected value from board: 7. Value will be corrected automatically!");
}  // namespace

// The read-only queries and the stored calibration data, over the virtual controller.
class tst_ReadOperations : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { SimRig::useTestSettings(); }
    void init() {
        QSettings().clear();
        QSettings().setValue("GeometricCalibration/UnrotatedData", kUnrotated);
        QSettings().setValue("GeometricCalibration/RotatedData", kRotated);
    }

    void queries_data() {
        QTest::addColumn<QString>("bytes");
        QTest::addColumn<Query>("query");
        QTest::addColumn<QVariant>("expected");
        QTest::addColumn<int>("warnings");
        using G = getoperations;
        auto q = [](auto read) { return Query([read](G& g) { return QVariant((g.*read)()); }); };
        QTest::addRow("touch threshold") << "6=ff" << q(&G::getTouchThreshold) << QVariant(80) << 0;
        QTest::addRow("output mode 2") << "" << q(&G::getOutputMode) << QVariant(2) << 0;
        QTest::addRow("encoding 0 reads 3") << "8=00" << q(&G::getOutputMode) << QVariant(3) << 0;
        QTest::addRow("disabled output reads 3")
            << "9=00" << q(&G::getOutputMode) << QVariant(3) << 0;
        QTest::addRow("encoding 7 is corrected")
            << "8=07" << q(&G::getOutputMode) << QVariant(3) << 1;
        QTest::addRow("calibration succeeded")
            << "12=80" << q(&G::getCalibrationSuccessfull) << QVariant(true) << 0;
        QTest::addRow("calibration under bad conditions")
            << "12=c0" << q(&G::getCalibrationSuccessfull) << QVariant(false) << 0;
        QTest::addRow("edge stretch active")
            << "9=21" << q(&G::getIsEdgeStretchActive) << QVariant(true) << 0;
        QTest::addRow("edge stretch level is signed")
            << "16=fe" << q(&G::getEdgeStretchLevel) << QVariant(-2) << 0;
        QTest::addRow("scan area B counts as scanning")
            << "11=40" << q(&G::getScanModeEnabled) << QVariant(true) << 0;
        QTest::addRow("edges are not scanning")
            << "10=a0" << q(&G::getScanModeEnabled) << QVariant(false) << 0;
        QTest::addRow("diagnostics B") << "27=40" << q(&G::getMonitorDiagAB) << QVariant(true) << 0;
        QTest::addRow("no diagnostics")
            << "27=03" << q(&G::getMonitorDiagAB) << QVariant(false) << 0;
    }
    void queries() {
        QFETCH(QString, bytes);
        QFETCH(Query, query);
        QFETCH(QVariant, expected);
        QFETCH(int, warnings);
        SimRig rig;
        QVERIFY(rig.connectBoard());
        // Board-owned bytes (status) cannot be written, so the block comes in as a packet.
        const QString base = "3=64 5=50 6=5a 8=02 9=01 10=00 11=00 12=00 16=00 27=00 ";
        rig.parameters()->addData(OpsSimRig::withBytes(rig.board.parameterBlock(), base + bytes));
        rig.parameters()->execute();
        getoperations get(&rig.dispatcher, nullptr);
        LogSpy log;
        QCOMPARE(query(get), expected);
        QCOMPARE(log.count(SillyLogger::Warning, kUnexpected), warnings);
        QCOMPARE(rig.dispatcher.queuedCommandCount(), 0);
    }

    void resendFollowsTheControllersMode_data() {
        QTest::addColumn<QString>("bytes");
        QTest::addColumn<QByteArray>("request");
        QTest::addRow("mode 1") << "8=01"
                                << QByteArray::fromHex(
                                       "0e 9a019a01e803d007 660e9a01b80bd007 9a01660ee803f401");
        QTest::addRow("mode 2") << "8=02"
                                << QByteArray::fromHex(
                                       "0e 9a01660ee803d007 660e660eb80bd007 9a019a01e803f401");
        QTest::addRow("mode 3") << "8=03"
                                << QByteArray::fromHex(
                                       "0e 9a01660ee803d007 660e660eb80bd007 9a019a01e803f401");
        QTest::addRow("mode 0 sends nothing") << "8=00" << QByteArray();
        QTest::addRow("mode 4 sends nothing") << "8=04" << QByteArray();
    }
    void resendFollowsTheControllersMode() {
        QFETCH(QString, bytes);
        QFETCH(QByteArray, request);
        SimRig rig;
        QVERIFY(!CalibrationDataStore::sendCalibrationData(&rig.dispatcher));  // no answer yet
        QVERIFY(rig.connectBoard());
        QVERIFY(rig.pokeByte(8, quint8(bytes.mid(2).toInt(nullptr, 16))));
        QCOMPARE(CalibrationDataStore::sendCalibrationData(&rig.dispatcher), !request.isEmpty());
        QVERIFY(rig.settle());
        const QList<QByteArray> sent = rig.writesOf(VirtualController::kOpCalibration3);
        QCOMPARE(sent.size(), request.isEmpty() ? 0 : 1);
        if (!request.isEmpty()) {
            QCOMPARE(sent.first().mid(SimRig::kOpcode, request.size()), request);
        }
    }

    void oversizedStoredDataIsNotSent() {
        QSettings().setValue("GeometricCalibration/UnrotatedData", QByteArray(59, '\x01'));
        SimRig rig;
        QVERIFY(rig.connectBoard());
        QVERIFY(rig.pokeByte(8, 1));
        LogSpy log;
        QVERIFY(!CalibrationDataStore::sendCalibrationData(&rig.dispatcher));
        QCOMPARE(rig.dispatcher.queuedCommandCount(), 0);
        QCOMPARE(log.countContaining(SillyLogger::Warning, "59 bytes"), 1);
    }
};

QTEST_GUILESS_MAIN(tst_ReadOperations)
#include "tst_ReadOperations.moc"
