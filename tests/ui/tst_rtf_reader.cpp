// The RTF reader on small documents: one feature at a time, and malformed or hostile input,
// on which it must neither crash nor hang, must stay within bounds, and keeps what can be read.
#include "ui/rtf_reader.h"
#include "ui_test_support.h"

#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

namespace {

QString RawText(const QByteArray& rtf, int chunk = 0) {
    QTextDocument document;
    ReadRtf(document, rtf, chunk);
    return document.toRawText();
}

// The character format in effect at the first character of `text`.
QTextCharFormat FormatOf(const QTextDocument& document, const QString& text) {
    const int offset = document.toRawText().indexOf(text);
    if (offset < 0) {
        return QTextCharFormat();
    }
    QTextCursor cursor(const_cast<QTextDocument*>(&document));
    cursor.setPosition(offset + 1);
    return cursor.charFormat();
}

const QByteArray kFonts =
    "{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}{\\f1\\fnil\\fcharset129 "
    "\\'b1\\'bc\\'b8\\'b2;}{\\f2\\fcharset2 Symbol;}{\\f3\\cpg949 Korean by page;}}";

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

class TestRtfReader : public QObject {
    Q_OBJECT

private slots:
    void textIsDecoded_data();
    void textIsDecoded();
    void fontNamesAreDecodedInTheirCharset();
    void characterFormatsFollowGroups();
    void paragraphFormatsResetAtPard();
    void listsOfBothStylesBecomeTextLists_data();
    void listsOfBothStylesBecomeTextLists();
    void garbageNeverUpsetsTheReader_data();
    void garbageNeverUpsetsTheReader();
    void absurdSizesAreClamped();
};

void TestRtfReader::textIsDecoded_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::newRow("Western set") << "{\\rtf1\\ansi " + kFonts + "\\f0 caf\\'e9 \\'80\\'92s}"
                                 << QStringLiteral("café €’s");
    QTest::newRow("Korean font") << "{\\rtf1\\ansi " + kFonts + "\\f1 \\'c7\\'d1\\'b1\\'db A}"
                                 << QStringLiteral("한글 A");
    QTest::newRow("code page of the font")
        << "{\\rtf1\\ansi " + kFonts + "\\f3 \\'b0\\'a1}" << QStringLiteral("가");
    QTest::newRow("document code page for a font without set")
        << QByteArray("{\\rtf1\\ansi\\ansicpg949{\\fonttbl{\\f0 Plain;}}\\f0 \\'b0\\'a1}")
        << QStringLiteral("가");
    QTest::newRow("lead and trail across a line break and a format change")
        << "{\\rtf1 " + kFonts + "\\f1 \\'b0\n\\b \\'a1}" << QStringLiteral("가");
    QTest::newRow("lead byte without trail")
        << "{\\rtf1 " + kFonts + "\\f1 \\'b0\\par x}" << QStringLiteral("\ufffd\u2029x");
    QTest::newRow("symbol bullet")
        << "{\\rtf1 " + kFonts + "\\f2 \\'b7}" << QStringLiteral("\u2022");
    QTest::newRow("unicode with two fallback bytes")
        << "{\\rtf1 " + kFonts + "\\f0\\uc2 it\\u8217\\'a1\\'afs}" << QStringLiteral("it’s");
    QTest::newRow("negative unicode")
        << QByteArray("{\\rtf1\\uc1 \\u-3913?}") << QStringLiteral("\uf0b7");
    QTest::newRow("fallback ends with its group")
        << QByteArray("{\\rtf1\\uc3 {\\u8220}x}") << QStringLiteral("\u201cx");
    QTest::newRow("surrogate pair")
        << QByteArray("{\\rtf1\\uc0 \\u-10179\\u-8704}") << QStringLiteral("\U0001F600");
    QTest::newRow("lone surrogate")
        << QByteArray("{\\rtf1\\uc0 \\u-10179 x}") << QStringLiteral("\ufffdx");
    QTest::newRow("symbols and escapes")
        << QByteArray("{\\rtf1 a\\~b\\-c\\_d\\{\\}\\\\\\tab e\\line f\\emdash\\lquote}")
        << QStringLiteral("a\u00a0b\u00adc\u2011d{}\\\te\u2028f\u2014\u2018");
    QTest::newRow("hidden text and skipped groups")
        << QByteArray(
               "{\\rtf1 a{\\v hidden}b{\\*\\unknown x}c{\\info{\\title t}}d{\\pict\\bin3 }}}}e}")
        << QStringLiteral("abcde");
    QTest::newRow("field result shown, instruction skipped")
        << QByteArray("{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt shown}}}")
        << QStringLiteral("shown");
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

// Whole or byte by byte, the same text.
void TestRtfReader::textIsDecoded() {
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(RawText(rtf), text);
    QCOMPARE(RawText(rtf, 1), text);
}

void TestRtfReader::fontNamesAreDecodedInTheirCharset() {
    QTextDocument document;
    ReadRtf(document, "{\\rtf1 " + kFonts + "\\f1 x\\f0 y}");
    QCOMPARE(FormatOf(document, QStringLiteral("x")).fontFamilies().toStringList().value(0),
             QStringLiteral("굴림"));
    const QStringList western =
        FormatOf(document, QStringLiteral("y")).fontFamilies().toStringList();
    QCOMPARE(western, (QStringList{QStringLiteral("Times New Roman"), QStringLiteral("serif")}));
}

void TestRtfReader::characterFormatsFollowGroups() {
    QTextDocument document;
    ReadRtf(document,
            "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green128\\blue0;}"
            "{\\b\\i\\ul\\cf1\\fs40 A{\\b0\\ulnone\\strike\\highlight2 B}C}D\\b E\\plain F"
            "{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt{\\ul\\cf1 G}}}H}");
    const QTextCharFormat a = FormatOf(document, QStringLiteral("A"));
    QCOMPARE(a.fontWeight(), int(QFont::Bold));
    QVERIFY(a.fontItalic() && a.fontUnderline());
    QCOMPARE(a.foreground().color(), QColor(255, 0, 0));
    QCOMPARE(a.fontPointSize(), 20.0);
    const QTextCharFormat b = FormatOf(document, QStringLiteral("B"));
    QVERIFY(b.fontWeight() != QFont::Bold && !b.fontUnderline() && b.fontStrikeOut());
    QVERIFY(b.fontItalic());
    QCOMPARE(b.background().color(), QColor(0, 128, 0));
    const QTextCharFormat c = FormatOf(document, QStringLiteral("C"));
    QVERIFY(c.fontWeight() == QFont::Bold && c.fontUnderline() && !c.fontStrikeOut());
    const QTextCharFormat d = FormatOf(document, QStringLiteral("D"));
    QVERIFY(d.fontWeight() != QFont::Bold && !d.fontItalic() &&
            !d.hasProperty(QTextFormat::ForegroundBrush));
    QCOMPARE(d.fontPointSize(), 12.0);
    QCOMPARE(FormatOf(document, QStringLiteral("E")).fontWeight(), int(QFont::Bold));
    QVERIFY(FormatOf(document, QStringLiteral("F")).fontWeight() != QFont::Bold);
    // A link's shown text keeps the format of its result group.
    const QTextCharFormat g = FormatOf(document, QStringLiteral("G"));
    QVERIFY(g.fontUnderline());
    QCOMPARE(g.foreground().color(), QColor(255, 0, 0));
    QVERIFY(!FormatOf(document, QStringLiteral("H")).fontUnderline());
}

void TestRtfReader::paragraphFormatsResetAtPard() {
    QTextDocument document;
    ReadRtf(document,
            "{\\rtf1\\pard\\qc\\li1440\\ri720\\fi-720\\sb300\\sa150 one\\par two\\par"
            "\\pard\\qr three\\par\\pard\\qj\\fi-5000\\li1500 four}");
    QCOMPARE(document.blockCount(), 4);
    const QTextBlockFormat one = document.findBlockByNumber(0).blockFormat();
    QCOMPARE(one.alignment(), Qt::AlignHCenter);
    QCOMPARE(one.leftMargin(), 96.0);
    QCOMPARE(one.rightMargin(), 48.0);
    QCOMPARE(one.textIndent(), -48.0);
    QCOMPARE(one.topMargin(), 20.0);
    QCOMPARE(one.bottomMargin(), 10.0);
    QCOMPARE(document.findBlockByNumber(1).blockFormat(), one);
    const QTextBlockFormat three = document.findBlockByNumber(2).blockFormat();
    QCOMPARE(three.alignment(), Qt::AlignRight);
    QCOMPARE(three.leftMargin(), 0.0);
    // A hanging indent never reaches left of the page.
    const QTextBlockFormat four = document.findBlockByNumber(3).blockFormat();
    QCOMPARE(four.alignment(), Qt::AlignJustify);
    QCOMPARE(four.textIndent(), -100.0);
}

void TestRtfReader::listsOfBothStylesBecomeTextLists_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<int>("style");
    QTest::newRow("list override with list text")
        << QByteArray(
               "{\\rtf1 intro\\par{\\listtext\\f2 \\'b7\\tab}\\pard\\ls1\\li720 one\\par "
               "{\\listtext\\pard\\plain \\'b7\\tab}two\\par\\pard after}")
        << int(QTextListFormat::ListDisc);
    QTest::newRow("paragraph numbering, bullet")
        << QByteArray(
               "{\\rtf1 intro\\par{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0"
               "{\\pntxtb\\'B7}}\\fi-720\\li720 one\\par{\\pntext\\f1\\'B7\\tab}two\\par"
               "\\pard after}")
        << int(QTextListFormat::ListDisc);
    QTest::newRow("paragraph numbering, decimal")
        << QByteArray(
               "{\\rtf1 intro\\par{\\pntext 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec{\\pntxta .}}"
               "one\\par{\\pntext 2.\\tab}two\\par\\pard after}")
        << int(QTextListFormat::ListDecimal);
}

void TestRtfReader::listsOfBothStylesBecomeTextLists() {
    QFETCH(QByteArray, rtf);
    QFETCH(int, style);
    QTextDocument document;
    ReadRtf(document, rtf);
    QCOMPARE(document.toPlainText(), QStringLiteral("intro\none\ntwo\nafter"));
    QCOMPARE(document.findBlockByNumber(0).textList(), nullptr);
    QTextList* list = document.findBlockByNumber(1).textList();
    QVERIFY(list != nullptr);
    QCOMPARE(document.findBlockByNumber(2).textList(), list);
    QCOMPARE(list->count(), 2);
    QCOMPARE(int(list->format().style()), style);
    QCOMPARE(document.findBlockByNumber(3).textList(), nullptr);
}

void TestRtfReader::garbageNeverUpsetsTheReader_data() {
    QTest::addColumn<QByteArray>("rtf");
    for (quint32 seed = 1; seed <= 8; ++seed) {
        QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed)))
            << "{\\rtf1 " + Garbage(seed, 20000);
    }
}

void TestRtfReader::garbageNeverUpsetsTheReader() {
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

void TestRtfReader::absurdSizesAreClamped() {
    QTextDocument document;
    ReadRtf(document,
            "{\\rtf1\\fs2147483647 big\\par\\fs-5 small\\par\\pard\\ls1\\ilvl2147483647 item\\par"
            "\\pard\\li2147483647\\ri2147483647\\fi-2147483647\\sb2147483647 wide}");
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

QTEST_MAIN(TestRtfReader)
#include "tst_rtf_reader.moc"
