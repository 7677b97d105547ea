#include <QtTest>

#include "logging/SillyLogger.h"
#include "protocol/ParameterVersion.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "protocol/SoftResetNotice.h"
#include "tests/support/TestSettings.h"

namespace {
// A quiet full answer, written by hand: edge prescaler 0x11, edge threshold 130, scan
// prescaler 0x13, touch 200, press 150, encoding 2, output enabled, no monitor or status
// bits, parameter version 7.
const char kQuietAnswer[] =
    "a503118213c8960002010000000007"
    "000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
    "000000";

// "12=20 27=80": bytes changed from the quiet answer, offset in decimal, value in hex.
QByteArray answer(const QString& changes = QString()) {
    QByteArray bytes = QByteArray::fromHex(kQuietAnswer);
    const QStringList entries = changes.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& entry : entries) {
        const QStringList parts = entry.split(QLatin1Char('='));
        bytes[parts.at(0).toInt()] = char(parts.at(1).toInt(nullptr, 16));
    }
    return bytes;
}

const QString kSoftResetOn = QStringLiteral("12=20");

class FakeNotice : public SoftResetNotice {
public:
    using SoftResetNotice::SoftResetNotice;
    bool isNoticeShown() const override { return shown; }
    int pollCount() const override { return polls; }
    void showNotice() override {
        shown = true;
        ++shows;
    }
    void hideNotice() override {
        shown = false;
        ++hides;
    }

    bool shown = false;
    int polls = 0;
    int shows = 0;
    int hides = 0;
};

// Every signal of the delegate, in the order it arrives, with its argument.
class SignalLog : public QObject {
public:
    explicit SignalLog(ResponseDelegateCurrentParameters* d) {
        using D = ResponseDelegateCurrentParameters;
        connect(d, QOverload<>::of(&D::valuesChanged), this, [this] { add("valuesChanged"); });
        connect(d, QOverload<QByteArray>::of(&D::valuesChanged), this,
                [this](const QByteArray& m) { add("memento", m.toHex()); });
        connect(d, &D::signalPressThreshold, this, [this](int v) { add("press", v); });
        connect(d, &D::signalTouchThreshold, this, [this](int v) { add("touch", v); });
        connect(d, &D::signalEdgeThreshold, this, [this](int v) { add("edge", v); });
        connect(d, &D::signalSoftResetActive, this, [this] { add("softResetActive"); });
        connect(d, &D::signalSoftResetInactive, this, [this] { add("softResetInactive"); });
        connect(d, &D::signalMonPeakActive, this, [this] { add("monPeakActive"); });
        connect(d, &D::signalOutputChanged, this, [this] { add("outputChanged"); });
        connect(d, &D::signalOutputEncodeValue, this, [this](int v) { add("encode", v); });
        connect(d, &D::signalOutputStateValue, this, [this](bool v) { add("state", v); });
        connect(d, &D::signalUnsetFlags, this, [this] { add("unsetFlags"); });
        connect(d, &D::signalFlagsDone, this, [this] { add("flagsDone"); });
        connect(d, &D::signalBoardStarted, this, [this] { add("boardStarted"); });
        connect(d, &D::signalThresholdChanged, this, [this] { add("thresholdChanged"); });
        connect(d, &D::signalMonTestDiagFlagChanged, this, [this] { add("testDiagChanged"); });
    }
    // The events without the always-present per-answer ones.
    QStringList changes() const {
        return events.filter(QRegularExpression("^(?!valuesChanged|memento|press|touch|edge)"));
    }
    QStringList events;

private:
    void add(const char* name) { events << QString::fromLatin1(name); }
    void add(const char* name, const QVariant& value) {
        events << QStringLiteral("%1(%2)").arg(QLatin1String(name), value.toString());
    }
};
}  // namespace

class tst_ResponseDelegateCurrentParameters : public QObject {
    Q_OBJECT

private:
    QList<FakeNotice*> m_notices;
    int m_initialPolls = 0;

    static void setNoTouchWindow(bool on) {
        QSettings().setValue(QStringLiteral("General/NoTouchWindow"), on);
    }
    static void receive(ResponseDelegateCurrentParameters& delegate, const QByteArray& packet) {
        delegate.addData(packet);
        delegate.execute();
    }

private slots:
    void initTestCase() { useTestSettings(); }
    void init() {
        QSettings().clear();
        ParameterVersion::remember(ParameterVersion::kStartValue);
        m_notices.clear();
        m_initialPolls = 0;
        SoftResetNotice::setFactory([this](QObject* parent) {
            auto* notice = new FakeNotice(parent);
            notice->polls = m_initialPolls;
            m_notices << notice;
            return notice;
        });
    }
    void cleanup() {
        SoftResetNotice::setFactory({});
        QSettings().clear();
        ParameterVersion::remember(ParameterVersion::kStartValue);
        SillyLogger::instance()->setFilter(0);
    }

    void firstAnswerRunsEveryStepInOrder() {
        ResponseDelegateCurrentParameters delegate;
        SignalLog log(&delegate);
        receive(delegate, answer());

        QCOMPARE(log.events,
                 QStringList({"boardStarted", "valuesChanged", "press(150)", "touch(200)",
                              "edge(130)", "memento(" + QString(kQuietAnswer) + ")",
                              "outputChanged", "encode(2)", "state(true)", "flagsDone"}));
        QCOMPARE(ParameterVersion::remembered(), quint8(7));
        QCOMPARE(m_notices.size(), 1);
        QCOMPARE(m_notices.first()->parent(), &delegate);
        QVERIFY(!m_notices.first()->shown);
    }

    void laterAnswersSkipTheFirstAnswerActions() {
        ResponseDelegateCurrentParameters delegate;
        receive(delegate, answer());
        SignalLog log(&delegate);
        const QByteArray second = answer("14=09 5=c9");
        receive(delegate, second);

        QCOMPARE(log.events, QStringList({"valuesChanged", "press(150)", "touch(201)", "edge(130)",
                                          "memento(" + second.toHex() + ")", "thresholdChanged"}));
        QCOMPARE(ParameterVersion::remembered(), quint8(7));
        QCOMPARE(m_notices.size(), 1);
    }

    // "answers": the soft-reset bit of each answer; "elsewhere": another window shows the
    // notice before the second answer.
    void noticeFollowsTheSoftReset_data() {
        QTest::addColumn<QString>("answers");
        QTest::addColumn<bool>("noTouchWindow");
        QTest::addColumn<int>("polls");
        QTest::addColumn<bool>("elsewhere");
        QTest::addColumn<int>("shows");
        QTest::addColumn<int>("hides");
        QTest::addRow("shown, then hidden") << "0110" << false << 0 << false << 1 << 1;
        QTest::addRow("NoTouchWindow set") << "0110" << true << 0 << false << 0 << 0;
        QTest::addRow("notice still polling") << "0110" << false << 3 << false << 0 << 0;
        QTest::addRow("shown elsewhere is not shown again")
            << "010" << false << 0 << true << 0 << 1;
        QTest::addRow("first answer in soft reset") << "1" << false << 0 << false << 1 << 0;
    }
    void noticeFollowsTheSoftReset() {
        QFETCH(QString, answers);
        QFETCH(bool, noTouchWindow);
        QFETCH(int, polls);
        QFETCH(bool, elsewhere);
        QFETCH(int, shows);
        QFETCH(int, hides);
        setNoTouchWindow(noTouchWindow);
        m_initialPolls = polls;

        ResponseDelegateCurrentParameters delegate;
        SignalLog log(&delegate);
        for (int i = 0; i < answers.size(); ++i) {
            if (i == 1 && elsewhere) {
                m_notices.first()->shown = true;
            }
            receive(delegate, answer(answers.at(i) == QLatin1Char('1') ? kSoftResetOn : QString()));
        }
        QCOMPARE(m_notices.size(), 1);
        QCOMPARE(m_notices.first()->shows, shows);
        QCOMPARE(m_notices.first()->hides, hides);
        QCOMPARE(m_notices.first()->shown, shows > hides);
        // The signals do not depend on the notice: one per answer in soft reset, one at its end.
        QCOMPARE(log.events.count("softResetActive"), answers.count(QLatin1Char('1')));
        QCOMPARE(log.events.count("softResetInactive"), answers.count(QStringLiteral("10")));
    }

    // The events of a run of answers ("|" between answers, each as changes to the quiet
    // one) beyond the per-answer values: the output only when it changes, the test and
    // diagnostics flags only when one of theirs changes, the soft reset without a notice.
    void changesAreSignalledOnce_data() {
        QTest::addColumn<QString>("answers");
        QTest::addColumn<bool>("notice");
        QTest::addColumn<QStringList>("events");
        const QStringList first{"boardStarted", "outputChanged", "encode(2)", "state(true)",
                                "flagsDone"};
        const QString diag = QStringLiteral("testDiagChanged");
        QTest::addRow("soft reset without a notice")
            << "12=20|" << false
            << QStringList{"boardStarted", "softResetActive", "outputChanged",    "encode(2)",
                           "state(true)",  "flagsDone",       "softResetInactive"};
        // The first answer reports the output even when off; 9=10 is another bit.
        QTest::addRow("output") << "8=00 9=00|8=00 9=00|8=03|8=03 9=00|8=03 9=10" << true
                                << QStringList{"boardStarted", "outputChanged", "encode(0)",
                                               "state(false)", "flagsDone",     "outputChanged",
                                               "encode(3)",    "state(true)",   "outputChanged",
                                               "encode(3)",    "state(false)"};
        QTest::addRow("test and diagnostics flags")
            << "|11=04|11=04 27=40|11=04 27=40 10=ff|27=80" << true
            << first + QStringList{diag, diag, diag};
    }
    void changesAreSignalledOnce() {
        QFETCH(QString, answers);
        QFETCH(bool, notice);
        QFETCH(QStringList, events);
        if (!notice) {
            SoftResetNotice::setFactory({});
        }
        ResponseDelegateCurrentParameters delegate;
        SignalLog log(&delegate);
        for (const QString& changes : answers.split(QLatin1Char('|'))) {
            receive(delegate, answer(changes));
        }
        QCOMPARE(log.changes(), events);
    }

    void peakCheckWaitsForTheEndOfASoftReset() {
        ResponseDelegateCurrentParameters delegate;
        QSignalSpy peak(&delegate, &ResponseDelegateCurrentParameters::signalMonPeakActive);
        receive(delegate, answer("11=10"));
        delegate.chkforMonPeak();
        QCOMPARE(peak.count(), 0);

        receive(delegate, answer("11=10 12=20"));
        receive(delegate, answer());  // soft reset over, peak monitoring off
        delegate.chkforMonPeak();
        QCOMPARE(peak.count(), 0);
        receive(delegate, answer("11=10"));
        delegate.chkforMonPeak();
        QCOMPARE(peak.count(), 1);
        delegate.chkforMonPeak();
        QCOMPARE(peak.count(), 1);
    }

    void monitorFlagsAreCheckedOnce_data() {
        QTest::addColumn<QString>("flags");
        QTest::addColumn<bool>("unset");  // a monitor flag left on from an earlier run
        QTest::addRow("none") << "" << false;
        QTest::addRow("test mode") << "11=04" << true;
        QTest::addRow("peaks") << "11=20" << true;
        QTest::addRow("peak") << "11=10" << true;
        QTest::addRow("scan area A") << "11=80" << true;
        QTest::addRow("scan area B") << "11=40" << true;
        QTest::addRow("edge A") << "10=80" << true;
        QTest::addRow("edge B") << "10=20" << true;
        QTest::addRow("scan A") << "10=08" << true;
        QTest::addRow("scan B") << "10=04" << true;
        QTest::addRow("dyn A") << "10=02" << true;
        QTest::addRow("dyn B") << "10=01" << true;
        QTest::addRow("diag A") << "27=80" << true;
        QTest::addRow("diag B") << "27=40" << true;
        QTest::addRow("edge maxima and output only") << "10=50 11=08" << false;
    }
    void monitorFlagsAreCheckedOnce() {
        QFETCH(QString, flags);
        QFETCH(bool, unset);
        const QString verdict = unset ? QStringLiteral("unsetFlags") : QStringLiteral("flagsDone");
        ResponseDelegateCurrentParameters delegate;
        SignalLog log(&delegate);
        receive(delegate, answer(flags));
        receive(delegate, answer("10=ff 11=fc 27=c0"));
        receive(delegate, answer());
        QCOMPARE(log.events.count("flagsDone") + log.events.count("unsetFlags"), 1);
        QCOMPARE(log.events.count(verdict), 1);
    }

    // "first > second": the answers received, as changes to the quiet answer.
    void thresholdChangesAfterTheFirstAnswer_data() {
        QTest::addColumn<QString>("answers");
        QTest::addColumn<int>("changes");
        QTest::addRow("same") << ">" << 0;
        QTest::addRow("touch") << "> 5=c9" << 1;
        QTest::addRow("press") << "> 6=01" << 1;
        QTest::addRow("edge") << "> 3=00" << 1;
        QTest::addRow("prescaler is no threshold") << "> 2=22" << 0;
        // While a threshold is 0 the reference follows every answer.
        QTest::addRow("unknown press") << "6=00 > 6=00 5=10" << 0;
        QTest::addRow("press becomes known") << "6=00 > 6=05" << 0;
    }
    void thresholdChangesAfterTheFirstAnswer() {
        QFETCH(QString, answers);
        QFETCH(int, changes);
        const QString first = answers.section(QLatin1Char('>'), 0, 0);
        const QString second = answers.section(QLatin1Char('>'), 1);
        ResponseDelegateCurrentParameters delegate;
        QSignalSpy changed(&delegate, &ResponseDelegateCurrentParameters::signalThresholdChanged);
        receive(delegate, answer(first));
        QCOMPARE(changed.count(), 0);
        receive(delegate, answer(second));
        QCOMPARE(changed.count(), changes);
        receive(delegate, answer(second));
        QCOMPARE(changed.count(), changes);
    }

    // A report cut at the wrong size leaves short pieces; none of them is a block, so none
    // may replace the last one or be reported as a change (threshold 0, output off).
    void shortPacketsAreIgnored_data() {
        QTest::addColumn<bool>("answeredBefore");
        QTest::addColumn<QByteArray>("packet");
        QTest::addRow("3-byte tail with code 3") << true << QByteArray::fromHex("000003");
        QTest::addRow("one byte short") << true << answer("5=10").left(59);
        QTest::addRow("short first packet") << false << answer().left(15);
        QTest::addRow("code only") << false << QByteArray::fromHex("0003");
    }
    void shortPacketsAreIgnored() {
        QFETCH(bool, answeredBefore);
        QFETCH(QByteArray, packet);
        ResponseDelegateCurrentParameters delegate;
        if (answeredBefore) {
            receive(delegate, answer());
        }
        const QByteArray before = delegate.data();
        SillyLogger::instance()->setFilter(SillyLogger::Warning);
        QSignalSpy warnings(SillyLogger::instance(), &SillyLogger::logMessageSignal);
        SignalLog log(&delegate);
        receive(delegate, packet);
        QCOMPARE(log.events, QStringList());
        QCOMPARE(delegate.data(), before);
        QCOMPARE(warnings.count(), 1);
        QCOMPARE(ParameterVersion::remembered(),
                 answeredBefore ? quint8(7) : ParameterVersion::kStartValue);
        // The next whole answer is taken as usual.
        receive(delegate, answer("5=10"));
        QCOMPARE(delegate.touchThreshold(), 16);
        QCOMPARE(log.events.count("boardStarted"), answeredBefore ? 0 : 1);
        QCOMPARE(log.events.count("touch(16)"), 1);
    }

    void oversizedAnswerIsReadByItsLayout() {
        ResponseDelegateCurrentParameters delegate;
        QSignalSpy memento(&delegate, QOverload<QByteArray>::of(
                                          &ResponseDelegateCurrentParameters::valuesChanged));
        QByteArray longPacket = answer("27=40");
        longPacket.append(QByteArray(10, char(0xEE)));
        receive(delegate, longPacket);
        QCOMPARE(memento.count(), 1);
        QCOMPARE(memento.first().first().toByteArray(), longPacket);
        QCOMPARE(delegate.touchThreshold(), 200);
        QVERIFY(delegate.isMonitorDiagB());
        QCOMPARE(ParameterVersion::remembered(), quint8(7));
    }
};

QTEST_GUILESS_MAIN(tst_ResponseDelegateCurrentParameters)
#include "tst_ResponseDelegateCurrentParameters.moc"
