#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "logging/LogMacros.h"

class tst_SillyLogger : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    SillyLogger* m_logger = SillyLogger::instance();

    QString path(const QString& name) const { return m_dir.filePath(name); }

    static QByteArray contents(const QString& fileName) {
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly)) {
            return QByteArray();
        }
        return file.readAll();
    }

    QStringList records(const QString& fileName) {
        m_logger->stop();
        QStringList lines = QString::fromUtf8(contents(fileName)).split("\r\n\n");
        if (!lines.isEmpty() && lines.last().isEmpty()) {
            lines.removeLast();
        }
        return lines;
    }

    void traced() {
        TTRACE();
        TLOG_WARNING(QStringLiteral("inside"));
    }

private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        m_logger->stop();
        m_logger->setFilter(0);
    }

    void cleanupTestCase() {
        m_logger->stop();
        m_logger->setFilter(0);
    }

    void levelSetsCumulativeMask_data() {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("mask");
        QTest::addRow("0 enables everything") << 0 << 0xFF;
        QTest::addRow("1 debug only") << 1 << 0x01;
        QTest::addRow("4") << 4 << 0x07;
        QTest::addRow("8") << 8 << 0x0F;
        QTest::addRow("32") << 32 << 0x3F;
    }
    void levelSetsCumulativeMask() {
        QFETCH(int, level);
        QFETCH(int, mask);
        m_logger->setLevel(static_cast<quint8>(level));
        QCOMPARE(int(m_logger->filter()), mask);
    }

    void recordHasTagRightAlignedTimeAndDoubleLineEnd() {
        const QString file = path("format");
        m_logger->setFilter(SillyLogger::Information);
        m_logger->start(file);
        QVERIFY(m_logger->logMessage(SillyLogger::Information, QStringLiteral("hello world")));
        m_logger->stop();

        const QByteArray bytes = contents(file);
        QVERIFY(bytes.endsWith("hello world\r\n\n"));
        const QRegularExpression format(
            QStringLiteral("^\\[I\\]\\{( *)(\\d+)\\} hello world\r\n\n$"));
        const QRegularExpressionMatch match = format.match(QString::fromUtf8(bytes));
        QVERIFY2(match.hasMatch(), bytes.constData());
        QCOMPARE(match.captured(1).size() + match.captured(2).size(), 20);
    }

    void filterDecidesWhatIsWritten_data() {
        QTest::addColumn<int>("filter");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("written");
        QTest::addColumn<QString>("tag");
        QTest::addRow("debug passes debug filter") << 0x01 << 1 << true << "[D]";
        QTest::addRow("information blocked by debug filter") << 0x01 << 8 << false << "";
        QTest::addRow("critical") << 0x02 << 2 << true << "[C]";
        QTest::addRow("warning") << 0x04 << 4 << true << "[W]";
        QTest::addRow("reserved bit") << 0x10 << 16 << true << "[L]";
        QTest::addRow("function trace") << 0x20 << 32 << true << "[F]";
        QTest::addRow("two-bit type passes on either bit") << 0x02 << 3 << true << "[ ]";
        QTest::addRow("two-bit type blocked on neither bit") << 0x04 << 3 << false << "";
    }
    void filterDecidesWhatIsWritten() {
        QFETCH(int, filter);
        QFETCH(int, type);
        QFETCH(bool, written);
        QFETCH(QString, tag);
        const QString file = path(QStringLiteral("filter-%1-%2").arg(filter).arg(type));
        m_logger->setFilter(static_cast<quint8>(filter));
        m_logger->start(file);
        QCOMPARE(m_logger->logMessage(static_cast<quint8>(type), QStringLiteral("text")), written);
        const QStringList lines = records(file);
        QCOMPARE(lines.size(), written ? 1 : 0);
        if (written) {
            QVERIFY(lines.first().startsWith(tag + "{"));
        }
    }

    void startTruncatesAnExistingFile() {
        const QString file = path("truncate");
        m_logger->setFilter(SillyLogger::Warning);
        m_logger->start(file);
        m_logger->logMessage(SillyLogger::Warning, QStringLiteral("first run"));
        m_logger->start(file);
        m_logger->logMessage(SillyLogger::Warning, QStringLiteral("second run"));
        const QStringList lines = records(file);
        QCOMPARE(lines.size(), 1);
        QVERIFY(lines.first().endsWith("second run"));
    }

    void nothingIsOpenedWithoutNameOrFilter() {
        m_logger->setFilter(0xFF);
        m_logger->start();
        QVERIFY(!m_logger->logMessage(SillyLogger::Critical, QStringLiteral("lost")));

        const QString file = path("filter-zero");
        m_logger->setFilter(0);
        m_logger->start(file);
        m_logger->setFilter(0xFF);
        QVERIFY(!m_logger->logMessage(SillyLogger::Critical, QStringLiteral("lost")));
        QVERIFY(!QFile::exists(file));

        m_logger->start(path("no-such-folder/log"));  // cannot be opened
        QVERIFY(!m_logger->logMessage(SillyLogger::Critical, QStringLiteral("lost")));
    }

    void macrosWrapTextWithCallerSignature() {
        const QString file = path("macros");
        m_logger->setFilter(SillyLogger::Warning | SillyLogger::FunctionTrace);
        m_logger->start(file);
        traced();
        const QStringList lines = records(file);
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[0].startsWith("[F]"));
        QVERIFY(lines[0].contains(
            QRegularExpression("\\} Entering .*tst_SillyLogger::traced\\(\\).* \\[ENTER\\]$")));
        QVERIFY(lines[1].contains(QRegularExpression(
            "^\\[W\\].*\\} In Function .*tst_SillyLogger::traced\\(\\).*: inside$")));
        QVERIFY(lines[2].contains(
            QRegularExpression("\\} Exiting .*tst_SillyLogger::traced\\(\\).* \\[EXIT\\]$")));
    }
};

QTEST_GUILESS_MAIN(tst_SillyLogger)
#include "tst_SillyLogger.moc"
