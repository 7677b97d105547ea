#pragma once

#include <QByteArray>
#include <QList>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#include "device/DeviceBridge.h"
#include "device/DeviceEventDispatcher.h"
#include "device/HidApiIoDataProvider.h"
#include "operations/SetOperations.h"
#include "protocol/CommandFactory.h"
#include "protocol/PomelarKind.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "protocol/SimpleCommand.h"
#include "sim/VirtualController.h"
#include "sim/VirtualHidApi.h"

// The tool's device link over the virtual controller, with short intervals everywhere,
// for the feature pages' tests. The board's block is inspected and changed directly
// (boardByte(), pokeBlock()), so a test states the controller's state without going
// through the code it checks.
class VirtualBoardRig {
public:
    static constexpr int kCommandIntervalMs = 5;
    static constexpr int kReceiveIntervalMs = 2;
    static constexpr int kWaitMs = 5000;

    // Request layout of set-parameters, from the wire table: report id, packet index,
    // opcode 4, then block bytes 2..59 (block byte k travels at report byte k + 1).
    static constexpr int kReportSize = 61;
    static constexpr quint8 kSetParametersOpcode = 4;
    static constexpr int kOpcodeByte = 2;
    static constexpr int kFirstBlockField = 2;
    static constexpr int kBlockSize = 60;

    explicit VirtualBoardRig(SimScenario scenario = SimScenario()) {
        scenario.latencyMs = 1;
        board = std::make_unique<VirtualController>(scenario);
        QObject::connect(board.get(), &VirtualController::requestReceived,
                         [this](int opcode) { requests.append(opcode); });
        provider =
            std::make_unique<HidApiIoDataProvider>(std::make_shared<VirtualHidApi>(board.get()));
        dispatcher = std::make_unique<DeviceEventDispatcher>();
        auto* kind = new PomelarKind(dispatcher->deviceBridge());
        parameters = qobject_cast<ResponseDelegateCurrentParameters*>(
            kind->delegateByName(QStringLiteral("CurrentParameters")));
        dispatcher->registerDeviceKind(kind);
        dispatcher->registerDeviceIoDataProvider(provider.get());
        dispatcher->setDeviceIoDataProvider(provider->name());
        dispatcher->setDefaultTimeIntervals(kCommandIntervalMs, kReceiveIntervalMs);
        operations = std::make_unique<SetOperations>(dispatcher.get());
        SetOperations::Periods periods;
        periods.retryMs = 20;
        periods.quickRetryMs = 10;
        periods.testModeRetryMs = 30;
        periods.diagInTestModeRetryMs = 30;
        periods.slowInTestModeRetryMs = 30;
        operations->setPeriods(periods);
    }

    ~VirtualBoardRig() {
        operations.reset();
        dispatcher.reset();
        provider.reset();
        board.reset();
    }

    // Opens the board and waits for its first parameter block.
    bool connectBoard() {
        for (int attempt = 0; attempt < 3 && !provider->isOpen(); ++attempt) {
            dispatcher->firstConnection();
        }
        return provider->isOpen() && parameters != nullptr && refresh();
    }

    // Asks for the parameters and waits until the delegate has them.
    bool refresh() {
        QSignalSpy values(parameters, QOverload<QByteArray>::of(
                                          &ResponseDelegateCurrentParameters::valuesChanged));
        dispatcher->queueCommand(CommandFactory::getParams());
        return values.wait(kWaitMs);
    }

    quint8 boardByte(int offset) const {
        const QByteArray block = board->parameterBlock();
        return offset >= 0 && offset < block.size() ? quint8(block.at(offset)) : 0;
    }
    bool boardFlag(int offset, quint8 mask) const { return (boardByte(offset) & mask) != 0; }

    // Writes the board's block with `edit` applied, as a hand-built set-parameters
    // request straight into the board, and waits until the tool has the answer.
    template <typename Edit>
    bool pokeBlock(Edit edit) {
        QByteArray block = board->parameterBlock();
        if (block.size() != kBlockSize) {
            return false;
        }
        edit(block);
        QByteArray report(kReportSize, '\0');
        report[kOpcodeByte] = char(kSetParametersOpcode);
        for (int field = kFirstBlockField; field < kBlockSize; ++field) {
            report[field + 1] = block.at(field);
        }
        QSignalSpy values(parameters, QOverload<QByteArray>::of(
                                          &ResponseDelegateCurrentParameters::valuesChanged));
        return board->receiveReport(report) && values.wait(kWaitMs);
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
            [this]() {
                return operations->pendingPasses() == 0 && dispatcher->queuedCommandCount() == 0;
            },
            kWaitMs);
    }

    std::unique_ptr<VirtualController> board;
    std::unique_ptr<HidApiIoDataProvider> provider;
    std::unique_ptr<DeviceEventDispatcher> dispatcher;
    std::unique_ptr<SetOperations> operations;
    ResponseDelegateCurrentParameters* parameters = nullptr;
    // Opcodes of the requests that reached the board, in order.
    QList<int> requests;
};
