#include <QDir>
#include <QFile>
#include <QtTest>

#include "fuzz/FuzzTargets.h"

// The short regression run of the fuzz targets: every committed corpus input goes
// through its entry. An entry aborts on a broken invariant, and the sanitizer build
// reports any read outside a report, leak or undefined behaviour on these inputs.
class tst_FuzzCorpus : public QObject {
    Q_OBJECT

    static QDir corpusOf(const char* target) {
        return QDir(QStringLiteral(TAVIREL_FUZZ_CORPUS "/%1").arg(QLatin1String(target)));
    }

private slots:
    void everyTargetHasInputs() {
        for (const FuzzTargets::Target& target : FuzzTargets::all()) {
            QVERIFY2(!corpusOf(target.name).entryList(QDir::Files).isEmpty(), target.name);
        }
    }

    void corpusInputRunsClean_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("path");
        for (const FuzzTargets::Target& target : FuzzTargets::all()) {
            const QDir dir = corpusOf(target.name);
            for (const QString& file : dir.entryList(QDir::Files, QDir::Name)) {
                QTest::addRow("%s/%s", target.name, qPrintable(file))
                    << QString::fromLatin1(target.name) << dir.filePath(file);
            }
        }
    }
    void corpusInputRunsClean() {
        QFETCH(QString, target);
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray input = file.readAll();
        const FuzzTargets::Target* entry = FuzzTargets::find(qPrintable(target));
        QVERIFY(entry != nullptr);
        QCOMPARE(
            entry->entry(reinterpret_cast<const uint8_t*>(input.constData()), size_t(input.size())),
            0);
    }
};

QTEST_GUILESS_MAIN(tst_FuzzCorpus)
#include "tst_FuzzCorpus.moc"
