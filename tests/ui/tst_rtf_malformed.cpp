// The RTF reader on malformed and hostile input: it must neither crash nor hang, must stay
// within bounds, and keeps what can be read.
#include "ui/rtf_reader.h"

#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

namespace {

QString RawText(const QByteArray& rtf, int chunk) {
    QTextDocument document;
    RtfReader reader(document);
    for (int pos = 0; pos < rtf.size(); pos += chunk) {
        reader.Feed(rtf.constData() + pos, qMin(chunk, int(rtf.size()) - pos));
    }
    reader.Finish();
    return document.toRawText();
}

QByteArray Nested(int depth, const QByteArray& inner) {
    return "{\\rtf1 " + QByteArray(depth, '{') + inner + QByteArray(depth, '}') + " after}";
}

// A deterministic stream of RTF-looking garbage: braces, control words with wild parameters,
// escapes cut short, stray bytes.
QByteArray Garbage(quint32 seed, int size) {
    static const char* const pieces[] = {
        "{",    "}",     "\\",   "\\'",   "\\'b",           "\\'b0",      "\\u",       "\\u-",
        "\\uc", "\\bin", "\\*",  "\\par", "\\ls",           "\\pn",       "\\fonttbl", "\\colortbl",
        "\\f",  "\\fs",  "\\cf", "\\li-", "\\pntext",       "\\listtext", "\\'ff",     ";",
        " ",    "x",     "\xb0", "\x00",  "99999999999999", "-",          "\r\n"};
    QByteArray out;
    while (out.size() < size) {
        seed = seed * 1103515245u + 12345u;
        const char* piece = pieces[(seed >> 16) % (sizeof pieces / sizeof *pieces)];
        out.append(piece, piece[0] == '\0' ? 1 : int(qstrlen(piece)));
    }
    return out;
}

}  // namespace

class TestRtfMalformed : public QObject {
    Q_OBJECT

private slots:
    void keepsWhatCanBeRead_data();
    void keepsWhatCanBeRead();
    void garbageNeverUpsetsTheReader_data();
    void garbageNeverUpsetsTheReader();
    void absurdSizesAreClamped();
};

void TestRtfMalformed::keepsWhatCanBeRead_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("not RTF at all") << QByteArray("plain text") << QString();
    QTest::newRow("stray closing braces") << QByteArray("}}{\\rtf1 a}}}b") << QStringLiteral("a");
    QTest::newRow("groups never closed")
        << QByteArray("{\\rtf1 {\\b a{\\i b") << QStringLiteral("ab");
    QTest::newRow("escape cut at the end") << QByteArray("{\\rtf1 x\\'4") << QStringLiteral("x");
    QTest::newRow("escape with bad digits")
        << QByteArray("{\\rtf1 \\'zzA\\'4g}") << QStringLiteral("zzAg");
    QTest::newRow("backslash at the end") << QByteArray("{\\rtf1 x\\") << QStringLiteral("x");
    QTest::newRow("word cut at the end") << QByteArray("{\\rtf1 x\\b") << QStringLiteral("x");
    QTest::newRow("zero and control bytes") << QByteArray(
                                                   "{\\rtf1 a\0b\x01\x1f"
                                                   "c}",
                                                   13)
                                            << QStringLiteral("abc");
    QTest::newRow("overlong control word")
        << "{\\rtf1 \\" + QByteArray(100000, 'a') + " x}" << QStringLiteral("x");
    QTest::newRow("huge parameters")
        << QByteArray(
               "{\\rtf1\\fs99999999999999999999\\li-99999999999999 a\\u99999999999 b"
               "\\cf2147483647 c\\f-2147483648 d\\uc99999999 e}")
        << QStringLiteral("a\ufffdcde");
    QTest::newRow("fallback count is bounded")
        << QByteArray("{\\rtf1\\uc999 \\u65 abcdefghijklmnopqrstu}") << QStringLiteral("Aqrstu");
    QTest::newRow("binary longer than the input")
        << QByteArray("{\\rtf1 a\\bin999999999 {}}xyz") << QStringLiteral("a");
    QTest::newRow("negative binary length")
        << QByteArray("{\\rtf1 a\\bin-5 b}") << QStringLiteral("ab");
    QTest::newRow("nesting within the limit")
        << Nested(200, "deep") << QStringLiteral("deep after");
    QTest::newRow("nesting beyond the limit") << Nested(100000, "deep") << QStringLiteral(" after");
    QTest::newRow("star without a word") << QByteArray("{\\rtf1 {\\*}a}") << QStringLiteral("a");
    QTest::newRow("characters that belong to the document structure")
        << QByteArray("{\\rtf1\\uc0 a\\u8233 b\\u-560 c\\u-4 d\\u0 e}")
        << QStringLiteral("a\u2028b\ufffdc\ufffdde");
    QTest::newRow("font and colour tables out of order")
        << QByteArray(
               "{\\rtf1\\f7\\cf9 a{\\fonttbl\\f7\\fcharset129 K}\\'b0\\'a1"
               "{\\colortbl\\red999\\green-5;;;}\\cf1 b}")
        << QStringLiteral("a가b");
}

void TestRtfMalformed::keepsWhatCanBeRead() {
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(RawText(rtf, qMax(1, int(rtf.size()))), text);
    QCOMPARE(RawText(rtf, 1), text);
}

void TestRtfMalformed::garbageNeverUpsetsTheReader_data() {
    QTest::addColumn<QByteArray>("rtf");
    for (quint32 seed = 1; seed <= 8; ++seed) {
        QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed)))
            << "{\\rtf1 " + Garbage(seed, 20000);
    }
}

void TestRtfMalformed::garbageNeverUpsetsTheReader() {
    QFETCH(QByteArray, rtf);
    QTextDocument whole;
    {
        RtfReader reader(whole);
        reader.Feed(rtf.constData(), int(rtf.size()));
        reader.Finish();
        // Later input is ignored once the document is finished.
        reader.Feed("{\\rtf1 late}", 12);
    }
    QVERIFY(whole.characterCount() <= rtf.size() + 1);
    QVERIFY(whole.blockCount() <= rtf.count("\\par") + rtf.count("\\pn") + rtf.count("\\ls") + 1);
    QVERIFY(!whole.toRawText().contains(QStringLiteral("late")));
    QCOMPARE(RawText(rtf, 13), whole.toRawText());
}

void TestRtfMalformed::absurdSizesAreClamped() {
    QTextDocument document;
    RtfReader reader(document);
    const QByteArray rtf =
        "{\\rtf1\\fs2147483647 big\\par\\fs-5 small\\par\\pard\\ls1\\ilvl2147483647 item\\par"
        "\\pard\\li2147483647\\ri2147483647\\fi-2147483647\\sb2147483647 wide}";
    reader.Feed(rtf.constData(), int(rtf.size()));
    reader.Finish();
    QTextCursor cursor(&document);
    cursor.setPosition(1);
    QVERIFY(cursor.charFormat().fontPointSize() <= 1638);
    cursor.setPosition(document.findBlockByNumber(1).position() + 1);
    QCOMPARE(cursor.charFormat().fontPointSize(), 12.0);
    QTextList* list = document.findBlockByNumber(2).textList();
    QVERIFY(list != nullptr);
    QVERIFY(list->format().indent() <= 9);
    const QTextBlockFormat wide = document.lastBlock().blockFormat();
    QVERIFY(wide.leftMargin() <= 31680 / 15 && wide.rightMargin() <= 31680 / 15);
    QVERIFY(wide.textIndent() >= -wide.leftMargin() && wide.topMargin() <= 31680 / 15);
}

QTEST_MAIN(TestRtfMalformed)
#include "tst_rtf_malformed.moc"
