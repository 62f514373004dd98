// The stream-in reader that hands the disclaimer fragments to the view.
#include "resources/disclaimers/disclaimer_fragments.h"
#include "ui/agreement_stream.h"

#include <QTest>

#include <cstring>

class TestAgreementStream : public QObject {
    Q_OBJECT

private slots:
    void handsOutTheWholeListWithinTheBuffer_data();
    void handsOutTheWholeListWithinTheBuffer();
    void badRequestsAndEmptyFragments();
};

void TestAgreementStream::handsOutTheWholeListWithinTheBuffer_data() {
    QTest::addColumn<int>("capacity");
    for (int capacity : {1, 7, 343, 344, 4096}) {
        QTest::newRow(qPrintable(QString::number(capacity))) << capacity;
    }
}

// A buffer that holds any fragment gets exactly one fragment per request; a smaller one gets
// each fragment in pieces, and nothing is ever written past its end.
void TestAgreementStream::handsOutTheWholeListWithinTheBuffer() {
    QFETCH(int, capacity);
    DisclaimerStream stream;
    stream.fragments = DisclaimerFragments(DISCLAIMER_KOREAN);
    QByteArray buffer(capacity + 8, '#');
    QByteArray expected;
    QByteArray streamed;
    int requests = 0;
    for (const char* const* f = koreanDisclaimer; *f != nullptr; ++f) {
        expected += *f;
    }
    for (int count; (count = readDisclaimerChunk(stream, buffer.data(), capacity)) > 0;) {
        QVERIFY(count <= capacity);
        QCOMPARE(buffer.mid(capacity), QByteArray(8, '#'));
        if (capacity >= 344) {
            QCOMPARE(count, int(std::strlen(koreanDisclaimer[requests])));
            QCOMPARE(stream.disclaimerReadPos, requests + 1);
        }
        streamed.append(buffer.constData(), count);
        ++requests;
    }
    QCOMPARE(streamed, expected);
    QCOMPARE(readDisclaimerChunk(stream, buffer.data(), capacity), 0);
}

void TestAgreementStream::badRequestsAndEmptyFragments() {
    QCOMPARE(DisclaimerFragments(3), nullptr);
    const char* const withEmpty[] = {"{\\rtf1 ", "", "x}", nullptr};
    DisclaimerStream stream;
    stream.fragments = withEmpty;
    char buffer[16];
    QCOMPARE(readDisclaimerChunk(stream, buffer, 0), 0);
    QCOMPARE(readDisclaimerChunk(stream, nullptr, 16), 0);
    QCOMPARE(stream.disclaimerReadPos, 0);
    QCOMPARE(readDisclaimerChunk(stream, buffer, 16), 7);
    // An empty fragment does not end the stream early.
    QCOMPARE(readDisclaimerChunk(stream, buffer, 16), 2);
    QCOMPARE(QByteArray(buffer, 2), QByteArray("x}"));
    QCOMPARE(readDisclaimerChunk(stream, buffer, 16), 0);
    DisclaimerStream none;
    QCOMPARE(readDisclaimerChunk(none, buffer, 16), 0);
}

QTEST_MAIN(TestAgreementStream)
#include "tst_agreement_stream.moc"
