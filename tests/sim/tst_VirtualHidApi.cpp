#include <QtTest>

#include "SimTestHost.h"

namespace {

constexpr quint8 kGetParameters = 5;
constexpr int kParametersCode = 3;

}  // namespace

class tst_VirtualHidApi : public QObject {
    Q_OBJECT

private:
    static QStringList listed(VirtualHidApi& api, unsigned short vid = 0, unsigned short pid = 0) {
        QStringList devices;
        HidDeviceInfo* all = api.enumerate(vid, pid);
        for (HidDeviceInfo* d = all; d; d = d->next) {
            devices << QStringLiteral("%1:%2 %3/%4 page %5")
                           .arg(d->vendorId, 4, 16, QLatin1Char('0'))
                           .arg(d->productId, 4, 16, QLatin1Char('0'))
                           .arg(d->manufacturer, d->product)
                           .arg(d->usagePage, 0, 16);
        }
        api.freeEnumeration(all);
        return devices;
    }

private slots:
    void stringsAreCutToCapacity_data() {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("text");
        QTest::addRow("room to spare") << 64 << 0 << "Orvello";
        QTest::addRow("exactly enough") << 8 << 0 << "Orvello";
        QTest::addRow("one short") << 7 << 0 << "Orvell";
        QTest::addRow("only the terminator") << 1 << 0 << "";
        QTest::addRow("no room at all") << 0 << -1 << "";
    }
    void stringsAreCutToCapacity() {
        QFETCH(int, capacity);
        QFETCH(int, result);
        QFETCH(QString, text);
        VirtualController controller(SimTestHost::quietScenario());
        SimTestHost host(&controller);
        QVERIFY(host.open());
        wchar_t buffer[80];
        std::fill(std::begin(buffer), std::end(buffer), L'#');
        QCOMPARE(host.api().getManufacturerString(host.handle(), buffer, size_t(capacity)), result);
        if (result == 0) {
            QCOMPARE(QString::fromWCharArray(buffer), text);
        }
        QCOMPARE(buffer[capacity], L'#');
    }

    void writeRefusesMalformedReports_data() {
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<int>("result");
        QTest::addRow("get parameters, short") << QByteArray::fromHex("010005") << 61;
        QTest::addRow("full length") << QByteArray::fromHex("010005").leftJustified(61, '\0') << 61;
        QTest::addRow("one byte too long")
            << QByteArray::fromHex("010005").leftJustified(62, '\0') << -1;
        QTest::addRow("wrong report id") << QByteArray::fromHex("020005") << -1;
        QTest::addRow("empty") << QByteArray() << -1;
    }
    void writeRefusesMalformedReports() {
        QFETCH(QByteArray, report);
        QFETCH(int, result);
        VirtualController controller(SimTestHost::quietScenario());
        SimTestHost host(&controller);
        QVERIFY(host.open());
        QSignalSpy requests(&controller, &VirtualController::requestReceived);
        QCOMPARE(host.api().write(host.handle(),
                                  reinterpret_cast<const unsigned char*>(report.constData()),
                                  size_t(report.size())),
                 result);
        QCOMPARE(requests.count(), result > 0 ? 1 : 0);
    }

    void readCopiesAtMostTheBufferLength() {
        VirtualController controller(SimTestHost::quietScenario());
        SimTestHost host(&controller);
        QVERIFY(host.open());
        host.send(kGetParameters);
        unsigned char buffer[8];
        int n = 0;
        // Reads once it succeeds: the macro evaluates its condition again at the end.
        QTRY_VERIFY(n != 0 || (n = host.api().read(host.handle(), buffer, 3)) != 0);
        QCOMPARE(n, 3);
        QCOMPARE(QByteArray(reinterpret_cast<char*>(buffer), 3), QByteArray::fromHex("010003"));
        QCOMPARE(host.api().read(host.handle(), buffer, sizeof(buffer)), 0);
    }

    void unreadReportsAreCappedOldestDropped() {
        VirtualController controller(SimTestHost::quietScenario());
        SimTestHost host(&controller);
        QVERIFY(host.open());
        QSignalSpy sent(&controller, &VirtualController::reportSent);
        const int requests = VirtualHidApi::kInputQueueCapacity + 6;
        for (int i = 0; i < requests; ++i) {
            host.send(kGetParameters, QByteArray(), quint8(i));
        }
        QTRY_COMPARE(sent.count(), requests);
        const QList<QByteArray> kept = host.withCode(kParametersCode);
        QCOMPARE(kept.size(), VirtualHidApi::kInputQueueCapacity);
        QCOMPARE(quint8(kept.first().at(1)), quint8(6));
        QCOMPARE(quint8(kept.last().at(1)), quint8(requests - 1));
    }

    void lostHandlesStayDead_data() {
        QTest::addColumn<bool>("unplug");
        QTest::addRow("unplugged and replugged") << true;
        QTest::addRow("invalidated while listed") << false;
    }
    void lostHandlesStayDead() {
        QFETCH(bool, unplug);
        VirtualController controller(SimTestHost::quietScenario());
        SimTestHost host(&controller);
        QVERIFY(host.open());
        host.send(kGetParameters);
        if (unplug) {
            controller.unplug();
        } else {
            controller.invalidateHandles();
        }
        QCOMPARE(host.pump(), -1);
        QCOMPARE(host.send(kGetParameters), -1);
        QCOMPARE(listed(host.api(), SimTestHost::kVid).size(), unplug ? 0 : 1);
        wchar_t buffer[16];
        QCOMPARE(host.api().getProductString(host.handle(), buffer, 16), -1);
        if (unplug) {
            QVERIFY(!host.api().open(SimTestHost::kVid, SimTestHost::kPid));
            controller.replug();
        }
        QCOMPARE(host.pump(), -1);
        HidDeviceHandle* fresh = host.api().open(SimTestHost::kVid, SimTestHost::kPid);
        QVERIFY(fresh);
        QCOMPARE(host.api().getProductString(fresh, buffer, 16), 0);
        QCOMPARE(host.api().openHandleCount(), 2);
        host.api().close(host.handle());
        QCOMPARE(host.api().openHandleCount(), 1);
        host.api().close(fresh);
        QCOMPARE(host.api().openHandleCount(), 0);
    }

    void unknownHandlesAreRefused() {
        VirtualController controller(SimTestHost::quietScenario());
        VirtualHidApi api(&controller);
        int notAHandle = 0;
        auto* bogus = reinterpret_cast<HidDeviceHandle*>(&notAHandle);
        unsigned char buffer[61] = {1, 0, 5};
        QCOMPARE(api.read(bogus, buffer, sizeof(buffer)), -1);
        QCOMPARE(api.write(bogus, buffer, sizeof(buffer)), -1);
        QCOMPARE(api.setNonblocking(bogus, 1), -1);
        api.close(bogus);
        QCOMPARE(api.openHandleCount(), 0);
    }

    void destroyedControllerLeavesAnEmptyBus() {
        auto* controller = new VirtualController(SimTestHost::quietScenario());
        SimTestHost host(controller);
        QVERIFY(host.open());
        delete controller;
        QCOMPARE(host.pump(), -1);
        QCOMPARE(listed(host.api(), 0x25C8).size(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_VirtualHidApi)
#include "tst_VirtualHidApi.moc"
