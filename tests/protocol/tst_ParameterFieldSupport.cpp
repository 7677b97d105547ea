#include <QtTest>

#include "protocol/ParameterFieldSupport.h"
#include "protocol/ParameterVersion.h"

namespace {
struct Query {
    int set;
    int offset;
    int mask;
    bool operator==(const Query& other) const {
        return set == other.set && offset == other.offset && mask == other.mask;
    }
};
}  // namespace

class tst_ParameterFieldSupport : public QObject {
    Q_OBJECT

private:
    QVector<Query> m_queries;
    bool m_answer = true;

    void countQueries() {
        ParameterFieldSupport::setLookup([this](int set, int offset, quint8 mask) {
            m_queries.append(Query{set, offset, mask});
            return m_answer;
        });
    }

private slots:
    void init() {
        m_queries.clear();
        m_answer = true;
        ParameterVersion::remember(ParameterVersion::kStartValue);
    }
    void cleanup() {
        ParameterFieldSupport::setLookup({});
        ParameterVersion::remember(ParameterVersion::kStartValue);
    }

    void positiveAnswerIsAskedOncePerField() {
        countQueries();
        QVERIFY(ParameterFieldSupport::isSupported(2, 10, 0x80));
        QVERIFY(ParameterFieldSupport::isSupported(2, 10, 0x80));
        QVERIFY(ParameterFieldSupport::isSupported(2, 10, 0x20));
        QVERIFY(ParameterFieldSupport::isSupported(3, 10, 0x80));
        QCOMPARE(m_queries.size(), 3);
        QVERIFY(m_queries.at(0) == (Query{2, 10, 0x80}));
        QVERIFY(m_queries.at(1) == (Query{2, 10, 0x20}));
        QVERIFY(m_queries.at(2) == (Query{3, 10, 0x80}));
    }

    void negativeAnswerIsAskedAgain() {
        countQueries();
        m_answer = false;
        QVERIFY(!ParameterFieldSupport::isSupported(2, 27, 0x80));
        QVERIFY(!ParameterFieldSupport::isSupported(2, 27, 0x80));
        QCOMPARE(m_queries.size(), 2);
        m_answer = true;
        QVERIFY(ParameterFieldSupport::isSupported(2, 27, 0x80));
        QVERIFY(ParameterFieldSupport::isSupported(2, 27, 0x80));
        QCOMPARE(m_queries.size(), 3);
    }

    void newVersionAsksAgain() {
        countQueries();
        QVERIFY(ParameterFieldSupport::isSupported(4, 2, 0));
        ParameterVersion::remember(0);
        m_answer = false;
        QVERIFY(!ParameterFieldSupport::isSupported(4, 2, 0));
        QCOMPARE(m_queries.size(), 2);
    }
};

QTEST_GUILESS_MAIN(tst_ParameterFieldSupport)
#include "tst_ParameterFieldSupport.moc"
