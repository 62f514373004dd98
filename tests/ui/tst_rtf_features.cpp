// The RTF reader on small documents, one feature at a time.
#include "ui/rtf_reader.h"

#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

namespace {

void Read(QTextDocument& document, const QByteArray& rtf) {
    RtfReader reader(document);
    reader.Feed(rtf.constData(), int(rtf.size()));
    reader.Finish();
}

QString RawText(const QByteArray& rtf) {
    QTextDocument document;
    Read(document, rtf);
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

}  // namespace

class TestRtfFeatures : public QObject {
    Q_OBJECT

private slots:
    void textIsDecoded_data();
    void textIsDecoded();
    void fontNamesAreDecodedInTheirCharset();
    void characterFormatsFollowGroups();
    void paragraphFormatsResetAtPard();
    void listsOfBothStylesBecomeTextLists_data();
    void listsOfBothStylesBecomeTextLists();
};

void TestRtfFeatures::textIsDecoded_data() {
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
}

void TestRtfFeatures::textIsDecoded() {
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(RawText(rtf), text);
}

void TestRtfFeatures::fontNamesAreDecodedInTheirCharset() {
    QTextDocument document;
    Read(document, "{\\rtf1 " + kFonts + "\\f1 x\\f0 y}");
    QCOMPARE(FormatOf(document, QStringLiteral("x")).fontFamilies().toStringList().value(0),
             QStringLiteral("굴림"));
    const QStringList western =
        FormatOf(document, QStringLiteral("y")).fontFamilies().toStringList();
    QCOMPARE(western, (QStringList{QStringLiteral("Times New Roman"), QStringLiteral("serif")}));
}

void TestRtfFeatures::characterFormatsFollowGroups() {
    QTextDocument document;
    Read(document,
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

void TestRtfFeatures::paragraphFormatsResetAtPard() {
    QTextDocument document;
    Read(document,
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

void TestRtfFeatures::listsOfBothStylesBecomeTextLists_data() {
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

void TestRtfFeatures::listsOfBothStylesBecomeTextLists() {
    QFETCH(QByteArray, rtf);
    QFETCH(int, style);
    QTextDocument document;
    Read(document, rtf);
    QCOMPARE(document.toPlainText(), QStringLiteral("intro\none\ntwo\nafter"));
    QCOMPARE(document.findBlockByNumber(0).textList(), nullptr);
    QTextList* list = document.findBlockByNumber(1).textList();
    QVERIFY(list != nullptr);
    QCOMPARE(document.findBlockByNumber(2).textList(), list);
    QCOMPARE(list->count(), 2);
    QCOMPARE(int(list->format().style()), style);
    QCOMPARE(document.findBlockByNumber(3).textList(), nullptr);
}

QTEST_MAIN(TestRtfFeatures)
#include "tst_rtf_features.moc"
