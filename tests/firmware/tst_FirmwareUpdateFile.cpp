#include <QDir>
#include <QRandomGenerator>
#include <QtTest>

#include "firmware/FirmwareUpdateFile.h"
#include "tests/support/OvuFile.h"

using Problem = FirmwareUpdateFile::Problem;
Q_DECLARE_METATYPE(FirmwareUpdateFile::Problem)

namespace {
const QByteArray kHeader = "<00000620000000300000ABCD";  // version 620, size 0x30, sum 0xabcd
const QByteArray kItem0 = ">0000000102030405060708090A0B0C0D0E0F";
const QByteArray kItem1 = ">0001F0F1F2F3F4F5F6F7F8F9FAFBFCFDFEFF";

// Where a file cut after `length` bytes must still be accepted: the cut falls at the end
// of a line or inside a line that does not matter, after the first item line.
int completeItemsBefore(const QByteArray& text, int length) {
    const QList<QByteArray> lines = text.left(length).split('\n');
    int items = 0;
    for (const QByteArray& line : lines) {
        if (line.startsWith('>') && line.size() >= FirmwareUpdateFile::kItemLineLength) {
            ++items;
        }
    }
    return items;
}
}  // namespace

class tst_FirmwareUpdateFile : public QObject {
    Q_OBJECT

private slots:
    void acceptedFile_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("read");  // header, then entry:first data byte per item
        const QByteArray plain = kHeader + "\n" + kItem0 + "\n" + kItem1 + "\n";
        const QString both = QStringLiteral("620/30/abcd 0:00 1:f0");
        QTest::addRow("plain") << plain << both;
        QTest::addRow("no final line end") << plain.chopped(1) << both;
        QTest::addRow("CR LF") << QByteArray(plain).replace("\n", "\r\n") << both;
        QTest::addRow("CR alone") << QByteArray(plain).replace("\n", "\r") << both;
        QTest::addRow("byte-order mark") << QByteArray("\xEF\xBB\xBF" + plain) << both;
        QTest::addRow("comments, blanks and trailing lines")
            << QByteArray("; image 620\n\n" + kHeader + "\n# note\n" + kItem0 + "\n\n" + kItem1 +
                          "\n; end\n\n")
            << both;
        QTest::addRow("text beyond the fields")
            << QByteArray(kHeader + " built 2024\n" + kItem0 + "ZZ tail\n") << "620/30/abcd 0:00";
        QTest::addRow("lower-case digits and 0x prefix")
            << QByteArray("<0x000620000000300000abcd\n>0x01f0f1f2f3f4f5f6f7f8f9fafbfcfdfeff\n")
            << "620/30/abcd 1:f0";
        QTest::addRow("items in file order")
            << QByteArray(kHeader + "\n" + kItem1 + "\n" + kItem0 + "\n")
            << "620/30/abcd 1:f0 0:00";
    }
    void acceptedFile() {
        QFETCH(QByteArray, contents);
        QFETCH(QString, read);
        FirmwareUpdateFile file;
        QVERIFY2(file.parse(contents), qPrintable(file.problemText()));
        QVERIFY(file.isValid());
        QString seen = QStringLiteral("%1/%2/%3")
                           .arg(file.header().version, 0, 16)
                           .arg(file.header().size, 0, 16)
                           .arg(file.header().checkSum, 0, 16);
        for (int i = 0; i < file.itemCount(); ++i) {
            QCOMPARE(file.itemData(i).size(), FirmwareUpdateFile::kItemDataLength);
            seen += QStringLiteral(" %1:%2")
                        .arg(file.itemEntry(i), 0, 16)
                        .arg(quint8(file.itemData(i).at(0)), 2, 16, QLatin1Char('0'));
        }
        QCOMPARE(seen, read);
    }

    void itemBytesInOrder() {
        FirmwareUpdateFile file;
        QVERIFY(file.parse(kHeader + "\n" + kItem1 + "\n; x\n"));
        QCOMPARE(file.itemData(0).toHex(), QByteArray("f0f1f2f3f4f5f6f7f8f9fafbfcfdfeff"));
        QCOMPARE(file.totalLines(), 3);
        QCOMPARE(file.linesAfterLastItem(), 1);
    }

    void refusedFile_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<Problem>("problem");
        QTest::addColumn<int>("line");
        const QByteArray h = kHeader + "\n";
        QTest::addRow("empty") << QByteArray() << Problem::NoHeader << 0;
        QTest::addRow("comments only") << QByteArray("; a\n\n; b\n") << Problem::NoHeader << 0;
        QTest::addRow("header without items") << h << Problem::NoItems << 0;
        QTest::addRow("item before header")
            << QByteArray(kItem0 + "\n" + h) << Problem::ItemBeforeHeader << 1;
        QTest::addRow("second header")
            << QByteArray(h + kItem0 + "\n" + h) << Problem::SecondHeader << 3;
        QTest::addRow("header of 24 characters")
            << QByteArray(kHeader.left(24) + "\n" + kItem0) << Problem::TruncatedHeader << 1;
        QTest::addRow("header letter")
            << QByteArray("<0000062G000000300000ABCD\n" + kItem0) << Problem::BadHeaderDigit << 1;
        QTest::addRow("header blank inside")
            << QByteArray("<00000620 00000300000ABCD\n" + kItem0) << Problem::BadHeaderDigit << 1;
        QTest::addRow("header sign")
            << QByteArray("<+0000620000000300000ABCD\n" + kItem0) << Problem::BadHeaderDigit << 1;
        QTest::addRow("item of 36 characters")
            << QByteArray(h + kItem0.left(36) + "\n") << Problem::TruncatedItem << 2;
        QTest::addRow("item letter in the entry")
            << QByteArray(h + ">00G0" + kItem0.mid(5)) << Problem::BadItemDigit << 2;
        QTest::addRow("item letter in the data")
            << QByteArray(h + kItem0.left(36) + "X") << Problem::BadItemDigit << 2;
        QTest::addRow("0x inside a data byte")
            << QByteArray(h + ">00000x" + kItem0.mid(7)) << Problem::BadItemDigit << 2;
        QTest::addRow("non-ASCII in the data")
            << QByteArray(h + kItem0.left(10) + "\xC3\xA9" + kItem0.mid(12))
            << Problem::BadItemDigit << 2;
        QTest::addRow("NUL in the data")
            << QByteArray(h + kItem0.left(10) + QByteArray(2, '\0') + kItem0.mid(12))
            << Problem::BadItemDigit << 2;
    }
    void refusedFile() {
        QFETCH(QByteArray, contents);
        QFETCH(Problem, problem);
        QFETCH(int, line);
        FirmwareUpdateFile file;
        QVERIFY(!file.parse(contents));
        QVERIFY(!file.isValid());
        QCOMPARE(file.problem(), problem);
        QCOMPARE(file.problemLine(), line);
        QVERIFY(!file.problemText().isEmpty());
        QCOMPARE(file.itemCount(), 0);
    }

    void tooManyItems() {
        QByteArray text = kHeader + "\n";
        const QByteArray item = kItem0 + "\n";
        text.reserve(text.size() + item.size() * (FirmwareUpdateFile::kMaxItems + 1));
        for (int i = 0; i <= FirmwareUpdateFile::kMaxItems; ++i) {
            text += item;
        }
        FirmwareUpdateFile file;
        QVERIFY(!file.parse(text));
        QCOMPARE(file.problem(), Problem::TooManyItems);
        QCOMPARE(file.problemLine(), FirmwareUpdateFile::kMaxItems + 2);
        QVERIFY(file.parse(text.left(text.size() - item.size())));
        QCOMPARE(file.itemCount(), FirmwareUpdateFile::kMaxItems);
    }

    void fileOnDisk_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<Problem>("problem");
        QTest::addRow("missing") << "missing.ovu" << Problem::NotFound;
        QTest::addRow("folder") << "folder.ovu" << Problem::Folder;
        QTest::addRow("device") << "/dev/null" << Problem::NotRegularFile;
        QTest::addRow("too large") << "large.ovu" << Problem::TooLarge;
        QTest::addRow("good") << "good.ovu" << Problem::None;
    }
    void fileOnDisk() {
        QFETCH(QString, name);
        QFETCH(Problem, problem);
        QDir::current().mkpath(QStringLiteral("folder.ovu"));
        QVERIFY(OvuFile().write(QStringLiteral("good.ovu")));
        QFile large(QStringLiteral("large.ovu"));
        QVERIFY(large.open(QIODevice::WriteOnly));
        QVERIFY(large.resize(FirmwareUpdateFile::kMaxFileBytes + 1));  // sparse, no data written
        large.close();
        FirmwareUpdateFile file;
        QCOMPARE(file.read(name), problem == Problem::None);
        QCOMPARE(file.problem(), problem);
    }

    // Every cut of a good file either keeps the items that are complete before it or is
    // refused; a cut inside an item line is never taken as a shorter item.
    void truncatedFiles() {
        OvuFile source;
        source.items = 6;
        source.after = "; end\n";
        const QByteArray text = source.text();
        for (int length = 0; length <= text.size(); ++length) {
            FirmwareUpdateFile file;
            const int complete = completeItemsBefore(text, length);
            const bool cutInsideItem =
                text.left(length).split('\n').last().startsWith('>') &&
                text.left(length).split('\n').last().size() < FirmwareUpdateFile::kItemLineLength;
            const bool accepted = file.parse(text.left(length));
            QCOMPARE(accepted, complete > 0 && !cutInsideItem);
            if (accepted) {
                QCOMPARE(file.itemCount(), complete);
                QCOMPARE(file.header().checkSum, source.checksum());
            }
        }
    }

    // Random files, random bytes written over a good file, and lines of every length: no
    // crash, and an accepted file always holds what it claims.
    void randomFiles() {
        QRandomGenerator random(20240611);
        const QByteArray good = OvuFile().text();
        QByteArray alphabet = "<>0123456789abcdefABCDEFxX \t\r\n;#\xEF\xBB\xBF\xFF";
        alphabet.append('\0');
        for (int round = 0; round < 4000; ++round) {
            QByteArray contents;
            if (round % 2 == 0) {
                contents = good;
                const int flips = 1 + int(random.bounded(4));
                for (int i = 0; i < flips; ++i) {
                    contents[int(random.bounded(contents.size()))] =
                        alphabet.at(int(random.bounded(alphabet.size())));
                }
            } else {
                const int size = int(random.bounded(300));
                for (int i = 0; i < size; ++i) {
                    contents.append(alphabet.at(int(random.bounded(alphabet.size()))));
                }
            }
            FirmwareUpdateFile file;
            if (file.parse(contents)) {
                QVERIFY(file.itemCount() > 0);
                QVERIFY(file.problemText().isEmpty());
                for (int i = 0; i < file.itemCount(); ++i) {
                    QCOMPARE(file.itemData(i).size(), FirmwareUpdateFile::kItemDataLength);
                }
            } else {
                QCOMPARE(file.itemCount(), 0);
                QVERIFY(!file.problemText().isEmpty());
            }
        }
    }

    void longLinesAndLargeFiles() {
        // One line of 8 MB, and 60 000 comment lines between the header and the items.
        FirmwareUpdateFile file;
        QByteArray longLine = kHeader + QByteArray(8 * 1024 * 1024, 'F') + "\n" + kItem0;
        QVERIFY(file.parse(longLine));
        QByteArray manyLines = kHeader + "\n";
        for (int i = 0; i < 60000; ++i) {
            manyLines += "; padding line\n";
        }
        manyLines += kItem0;
        QVERIFY(file.parse(manyLines));
        QCOMPARE(file.totalLines(), 60002);
    }
};

QTEST_GUILESS_MAIN(tst_FirmwareUpdateFile)
#include "tst_FirmwareUpdateFile.moc"
