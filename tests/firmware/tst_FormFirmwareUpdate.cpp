#include <QProgressBar>
#include <QPushButton>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

#include <memory>

#include "protocol/FirmwareInformation.h"
#include "firmware/DialogOverrideFmUpdate.h"
#include "firmware/FormFirmwareUpdate.h"
#include "tests/support/OvuFile.h"
#include "tests/support/SimRig.h"

namespace {
constexpr int kRigQueueMs = 5;
constexpr int kRigResponseMs = 4;
constexpr int kItemSet = 24;
constexpr int kUploadWaitMs = 15000;

SimScenario dialogScenario() {
    SimScenario scenario = SimRig::quickScenario();
    scenario.rebootMs = 100;
    return scenario;
}

// The dialog over the virtual controller, its file questions answered by the test.
struct DialogRig : SimRig {
    DialogRig() : SimRig(dialogScenario()) {
        dispatcher.setDefaultTimeIntervals(kRigQueueMs, kRigResponseMs);
    }
    ~DialogRig() { delete dialog.data(); }

    bool open(const QString& givenFile = QString()) {
        if (!connectBoard()) {
            return false;
        }
        FirmwareUploader::Periods periods;
        periods.tickMs = 0;
        dialog = new FormFirmwareUpdate(&dispatcher, nullptr, periods);
        dialog->setFileDialog([this](QWidget*, const QString&, const QString&, const QString&) {
            ++fileQuestions;
            return chosenFile;
        });
        finished = std::make_unique<QSignalSpy>(dialog.data(), &QDialog::finished);
        closed = std::make_unique<QSignalSpy>(dialog.data(), &FormFirmwareUpdate::signalFormClosed);
        outcomes =
            std::make_unique<QSignalSpy>(dialog->uploader(), &FirmwareUploader::uploadFinished);
        if (!givenFile.isEmpty()) {
            dialog->onExternalInvoke(givenFile);
        }
        dialog->setWindowModality(Qt::ApplicationModal);
        dialog->show();
        return givenFile.isEmpty() ? QTest::qWaitFor([this] { return button()->isEnabled(); })
                                   : true;
    }

    QPushButton* button() const { return dialog->findChild<QPushButton*>(QStringLiteral("Clear")); }
    void clickButton() { QTest::mouseClick(button(), Qt::LeftButton); }
    QString text() const {
        return dialog->findChild<QTextEdit*>(QStringLiteral("textEdit"))->toPlainText();
    }
    int bar(const char* name) const {
        return dialog->findChild<QProgressBar*>(QString::fromLatin1(name))->value();
    }
    bool linkAtRest() const {
        return dispatcher.queueTimeInterval() == kRigQueueMs &&
               dispatcher.responseTimeInterval() == kRigResponseMs &&
               provider.rescanInterval() == HidApiIoDataProvider::kDefaultRescanIntervalMs;
    }
    QString path(const QString& name) const { return QDir::current().filePath(name); }

    QPointer<FormFirmwareUpdate> dialog;
    QString chosenFile;
    int fileQuestions = 0;
    std::unique_ptr<QSignalSpy> finished;
    std::unique_ptr<QSignalSpy> closed;
    std::unique_ptr<QSignalSpy> outcomes;
};
}  // namespace

class tst_FormFirmwareUpdate : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { SimRig::useTestSettings(); }
    void init() {
        FirmwareInformation::instance().clear();
        QVERIFY(OvuFile().write(QStringLiteral("620_4040.ovu")));
        QVERIFY(OvuFile().write(QStringLiteral("x_4024.ovu")));
    }

    // A file for another sensor is held back for the override question; a second click
    // asks for a file again instead of slipping past the guard.
    void splitTypeGuard_data() {
        QTest::addColumn<int>("splitType");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<bool>("uploads");
        QTest::addRow("40/24 sensor, 40/40 file") << 4024 << "620_4040.ovu" << 1 << false;
        QTest::addRow("40/24 sensor, 40/40 file twice") << 4024 << "620_4040.ovu" << 2 << false;
        QTest::addRow("40/24 sensor, 40/24 file") << 4024 << "x_4024.ovu" << 1 << true;
        QTest::addRow("unknown sensor, 40/24 file") << 0 << "x_4024.ovu" << 1 << false;
        QTest::addRow("unknown sensor, 40/40 file") << 0 << "620_4040.ovu" << 1 << false;
    }
    void splitTypeGuard() {
        QFETCH(int, splitType);
        QFETCH(QString, file);
        QFETCH(int, clicks);
        QFETCH(bool, uploads);
        FirmwareInformation::instance().setSplitType(splitType);
        DialogRig rig;
        QVERIFY(rig.open());
        rig.chosenFile = rig.path(file);
        for (int click = 0; click < clicks; ++click) {
            rig.clickButton();
        }
        QCOMPARE(rig.fileQuestions, clicks);
        QCOMPARE(rig.dialog->uploader()->isUploading(), uploads);
        QCOMPARE(rig.dialog->fileName().isEmpty(), !uploads);
        QCOMPARE(rig.dialog->overrideDialog() != nullptr, !uploads);
        if (!uploads) {
            // A window of its own, parented to the dialog so it is reachable while the
            // dialog is modal.
            QCOMPARE(rig.dialog->overrideDialog()->parentWidget(), rig.dialog.data());
            QVERIFY(rig.dialog->overrideDialog()->isWindow());
            QVERIFY(rig.dialog->overrideDialog()->isVisible());
            QTest::qWait(20);
            QCOMPARE(rig.requests.count(kItemSet), 0);
        }
    }

    void overrideYesUploadsAndNoCloses_data() {
        QTest::addColumn<bool>("yes");
        QTest::addRow("yes") << true;
        QTest::addRow("no") << false;
    }
    void overrideYesUploadsAndNoCloses() {
        QFETCH(bool, yes);
        FirmwareInformation::instance().setSplitType(4024);
        DialogRig rig;
        QVERIFY(rig.open());
        rig.chosenFile = rig.path(QStringLiteral("620_4040.ovu"));
        rig.clickButton();
        QPointer<DialogOverrideFmUpdate> question = rig.dialog->overrideDialog();
        QVERIFY(question);
        auto* answer = question->findChild<QToolButton*>(yes ? QStringLiteral("yesButton")
                                                             : QStringLiteral("noButton"));
        QTest::mouseClick(answer, Qt::LeftButton);
        QTRY_VERIFY(question.isNull());
        if (yes) {
            QCOMPARE(rig.dialog->fileName(), rig.chosenFile);
            QVERIFY(rig.outcomes->wait(kUploadWaitMs));
            QCOMPARE(rig.outcomes->first().first().toBool(), true);
            QCOMPARE(rig.board.firmware().running().version, 0x620u);
        } else {
            QCOMPARE(rig.finished->count(), 1);
            QCOMPARE(rig.closed->count(), 1);
            QTRY_VERIFY(rig.dialog.isNull());
            QCOMPARE(rig.requests.count(kItemSet), 0);
        }
    }

    void givenFileUploadsWithoutQuestions() {
        DialogRig rig;
        QVERIFY(rig.open(QDir::current().filePath(QStringLiteral("620_4040.ovu"))));
        QCOMPARE(rig.button()->text(), QStringLiteral("Start"));
        QVERIFY(!rig.button()->isEnabled());
        QVERIFY(rig.outcomes->wait(kUploadWaitMs));
        QCOMPARE(rig.outcomes->first().first().toBool(), true);
        QCOMPARE(rig.fileQuestions, 0);
        QVERIFY(rig.text().contains(QStringLiteral(" Automatically uploading firmware ")));
        QVERIFY(rig.text().contains(QStringLiteral(" The Firmware is updated successfully")));
        QCOMPARE(rig.bar("progressBar"), 100);
        QCOMPARE(rig.bar("progressBar_commit"), 100);
        // The next click chooses a file again.
        QCOMPARE(rig.button()->text(), QStringLiteral("Choose File ..."));
        QVERIFY(rig.button()->isEnabled());
        QVERIFY(rig.linkAtRest());
    }

    void closingOrEscapeMidUploadRestoresAtOnce_data() {
        QTest::addColumn<bool>("escape");
        QTest::addRow("close") << false;
        QTest::addRow("escape") << true;
    }
    void closingOrEscapeMidUploadRestoresAtOnce() {
        QFETCH(bool, escape);
        FirmwareInformation::instance().setSplitType(4040);
        OvuFile large;
        large.items = 400;
        QVERIFY(large.write(QStringLiteral("620_4040.ovu")));
        DialogRig rig;
        QVERIFY(rig.open());
        rig.chosenFile = rig.path(QStringLiteral("620_4040.ovu"));
        rig.clickButton();
        QTRY_VERIFY(rig.bar("progressBar") >= 5);
        QVERIFY(!rig.button()->isEnabled());
        rig.dialog->on_Clear_clicked();  // the file button is ignored while a file goes out
        QCOMPARE(rig.fileQuestions, 1);
        if (escape) {
            QTest::keyClick(rig.dialog.data(), Qt::Key_Escape);
        } else {
            rig.dialog->close();
        }
        QVERIFY(rig.linkAtRest());
        QCOMPARE(rig.finished->count(), 1);
        QCOMPARE(rig.closed->count(), 1);
        const int sent = rig.requests.count(kItemSet);
        QTRY_VERIFY(rig.dialog.isNull());
        QTest::qWait(30);
        QVERIFY(rig.requests.count(kItemSet) <= sent + 1);
    }
};

QTEST_MAIN(tst_FormFirmwareUpdate)
#include "tst_FormFirmwareUpdate.moc"
