#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <memory>

#include "device/DeviceBridge.h"
#include "device/DeviceEventDispatcher.h"
#include "device/HidApiIoDataProvider.h"
#include "protocol/CommandFactory.h"
#include "protocol/PomelarKind.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "protocol/SimpleCommand.h"
#include "operations/SetOperations.h"
#include "sim/VirtualController.h"
#include "sim/VirtualHidApi.h"
#include "TestSettings.h"

// The simulated bus, keeping every output report the HID provider writes.
class RecordingHidApi : public VirtualHidApi {
public:
    using VirtualHidApi::VirtualHidApi;
    int write(HidDeviceHandle* device, const unsigned char* data, size_t length) override {
        writes.append(QByteArray(reinterpret_cast<const char*>(data), int(length)));
        return VirtualHidApi::write(device, data, length);
    }
    QList<QByteArray> writes;
};

// The tool's device link over the virtual controller: the real HID provider on the
// simulated bus, a dispatcher of its own with our controller's kind, and operations with
// short retry periods, so a whole exchange takes a few milliseconds. The board's block is
// inspected and changed directly (boardByte(), pokeBlock()), so a test states the
// controller's state without going through the code it checks.
class SimRig {
public:
    static constexpr int kWaitMs = 20000;

    // Request layout of set-parameters, from the wire table: report id, packet index,
    // opcode 4, then block bytes 2..59 (block byte k travels at report byte k + 1).
    static constexpr int kReportSize = 61;
    static constexpr int kOpcode = 2;
    static constexpr quint8 kSetParametersOpcode = 4;
    static constexpr int kFirstBlockField = 2;
    static constexpr int kBlockSize = 60;

    static void useTestSettings() { ::useTestSettings(); }

    static SimScenario quickScenario() {
        SimScenario scenario;
        scenario.latencyMs = 1;
        scenario.edgeIntervalMs = 5;
        scenario.softResetMs = 60;
        return scenario;
    }

    explicit SimRig(const SimScenario& scenario = quickScenario())
        : board(scenario), api(std::make_shared<RecordingHidApi>(&board)), provider(api) {
        QObject::connect(&board, &VirtualController::requestReceived,
                         [this](int opcode) { requests.append(opcode); });
        dispatcher.registerDeviceKind(new PomelarKind(dispatcher.deviceBridge()));
        dispatcher.registerDeviceIoDataProvider(&provider);
        dispatcher.setDeviceIoDataProvider(provider.name());
        dispatcher.setDefaultTimeIntervals(2, 1);
        SetOperations::Periods periods;
        periods.retryMs = 20;
        periods.quickRetryMs = 10;
        periods.testModeRetryMs = 25;
        periods.diagInTestModeRetryMs = 30;
        periods.slowInTestModeRetryMs = 35;
        periods.answerWaitMs = 50;
        ops.setPeriods(periods);
    }
    ~SimRig() { dispatcher.StopCommunication(); }

    template <typename Delegate>
    Delegate* delegate(const char* name) {
        return qobject_cast<Delegate*>(dispatcher.responseDelegate(QString::fromLatin1(name)));
    }
    ResponseDelegateCurrentParameters* parameters() {
        return delegate<ResponseDelegateCurrentParameters>("CurrentParameters");
    }

    // Opens the board without asking it anything (its first answer is still to come).
    bool openBoard() {
        for (int attempt = 0; attempt < 3 && !provider.isOpen(); ++attempt) {
            dispatcher.firstConnection();
        }
        return provider.isOpen() && parameters() != nullptr;
    }

    // Opens the board and waits for its first parameter block.
    bool connectBoard() { return openBoard() && refresh(); }

    // Asks for the parameters and waits until the delegate has them.
    bool refresh() {
        QSignalSpy values(parameters(), QOverload<QByteArray>::of(
                                            &ResponseDelegateCurrentParameters::valuesChanged));
        dispatcher.queueCommand(CommandFactory::getParams());
        return values.wait(kWaitMs);
    }

    quint8 boardByte(int offset) const {
        const QByteArray block = board.parameterBlock();
        return offset >= 0 && offset < block.size() ? quint8(block.at(offset)) : 0;
    }
    bool boardFlag(int offset, quint8 mask) const { return (boardByte(offset) & mask) != 0; }

    // Writes the board's block with `edit` applied, as a hand-built set-parameters
    // request straight into the board, and waits until the tool has the answer.
    template <typename Edit>
    bool pokeBlock(Edit edit) {
        QByteArray block = board.parameterBlock();
        if (block.size() != kBlockSize) {
            return false;
        }
        edit(block);
        QByteArray report(kReportSize, '\0');
        report[kOpcode] = char(kSetParametersOpcode);
        for (int field = kFirstBlockField; field < kBlockSize; ++field) {
            report[field + 1] = block.at(field);
        }
        QSignalSpy values(parameters(), QOverload<QByteArray>::of(
                                            &ResponseDelegateCurrentParameters::valuesChanged));
        return board.receiveReport(report) && values.wait(kWaitMs);
    }
    bool pokeByte(int offset, quint8 value) {
        return pokeBlock([offset, value](QByteArray& block) { block[offset] = char(value); });
    }
    bool pokeFlag(int offset, quint8 mask, bool on) {
        return pokeBlock([offset, mask, on](QByteArray& block) {
            const quint8 old = quint8(block.at(offset));
            block[offset] = char(on ? (old | mask) : (old & ~mask));
        });
    }

    // Waits until every loop of the operations has ended and the queue is empty.
    bool settle() {
        return QTest::qWaitFor(
            [this] { return ops.pendingPasses() == 0 && dispatcher.queuedCommandCount() == 0; },
            kWaitMs);
    }

    // The output reports written with the given opcode, in order.
    QList<QByteArray> writesOf(int opcode) const {
        QList<QByteArray> found;
        for (const QByteArray& report : api->writes) {
            if (report.size() > kOpcode && quint8(report.at(kOpcode)) == opcode) {
                found << report;
            }
        }
        return found;
    }

    // Declared in teardown order: the operations go first, the board last.
    VirtualController board;
    std::shared_ptr<RecordingHidApi> api;
    HidApiIoDataProvider provider;
    DeviceEventDispatcher dispatcher;
    SetOperations ops{&dispatcher};
    // Opcodes of the requests that reached the board, in order.
    QList<int> requests;
};
