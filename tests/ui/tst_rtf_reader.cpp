// The RTF reader: small documents, one feature each, read whole and byte by byte; then the three
// disclaimer documents as the dialog reads them.
#include "resources/disclaimers/disclaimer_fragments.h"
#include "ui/agreement_stream.h"
#include "ui/rtf_reader.h"

#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

namespace {

// Each paragraph as "{alignment left-indent first-indent tab-stop}", in pixels, then its runs as
// "text[bold italic underline colour size]".
QString Describe(const QTextDocument& document) {
    QString out;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat b = block.blockFormat();
        const qreal tab = b.tabPositions().isEmpty() ? 0 : b.tabPositions()[0].position;
        out += QString::asprintf("{%d %d %d %d}", int(b.alignment()), qRound(b.leftMargin()),
                                 qRound(b.textIndent()), qRound(tab));
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat c = it.fragment().charFormat();
            const QString colour =
                c.foreground().style() == Qt::NoBrush ? "" : c.foreground().color().name() + " ";
            out += it.fragment().text() +
                   QString::asprintf("[%s%s%s %s%g]", c.fontWeight() == QFont::Bold ? "b" : "-",
                                     c.fontItalic() ? "i" : "-", c.fontUnderline() ? "u" : "-",
                                     qPrintable(colour), c.fontPointSize());
        }
    }
    return out;
}

QByteArray Document(const char* body) {
    return "{\\rtf1\\ansi\\ansicpg949\\deff0{\\fonttbl{\\f0\\fcharset0 T;}{\\f1\\fcharset129 G;}"
           "{\\f2\\fcharset2 S;}}{\\colortbl;\\red31\\green73\\blue125;}\\fs20 " +
           QByteArray(body) + "}";
}

}  // namespace

class TestRtfReader : public QObject {
    Q_OBJECT

private slots:
    void snippets_data() {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("described");
        QTest::newRow("Hangul in the \\dbch font of a Western run")
            << Document("\\f0 caf\\'e9 {\\loch\\af0\\dbch\\af1 \\'c7\\'d1}\\hich\\af0 \\'e9")
            << "{1 0 0 0}café 한é[--- 10]";
        QTest::newRow("Korean and Greek fonts in a Western document")
            << QByteArray(
                   "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f1\\fcharset129 G;}"
                   "{\\f3\\fcharset161 E;}}\\f1 \\'c7\\'d1\\f3 \\'e1}")
            << "{1 0 0 0}한á[--- 12]";
        QTest::newRow("Hangul in font 0")
            << QByteArray(
                   "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset129 G;}{\\f1\\fcharset0 T;}}"
                   "\\f1 {\\loch\\af1\\dbch\\af0 \\'c7\\'d1}}")
            << "{1 0 0 0}한[--- 12]";
        QTest::newRow("\\' without two hex digits")
            << Document("a\\'zb\\'4y") << "{1 0 0 0}azby[--- 10]";
        QTest::newRow("\\u with its \\uc fallback skipped")
            << Document("\\uc2 it\\u8217\\'a1\\'afs\\uc1 {\\u-3913?}?")
            << "{1 0 0 0}it’s\uf0b7?[--- 10]";
        QTest::newRow("destinations skipped, symbols kept")
            << Document(
                   "a{\\*\\x y{z}}\\line{\\info t}b\\emdash{\\headerr h}\\~c\\_d\\-e\\{\\}\\\\"
                   "\\\r\nf")
            << "{1 0 0 0}a\u2028b—\u00a0c\u2011d\u00ade{}\\[--- 10]{1 0 0 0}f[--- 10]";
        QTest::newRow("character formats")
            << Document("{\\b\\i\\ul\\cf1\\fs32 T{\\b0\\ulnone\\cf0 N}}\\b B\\plain P")
            << "{1 0 0 0}T[biu #1f497d 16]N[-i- 16]B[b-- 10]P[--- 12]";
        QTest::newRow("paragraph formats until \\pard")
            << Document("\\qc\\li400\\fi-400 x\\par y\\par\\pard\\qj z")
            << "{4 27 -27 27}x[--- 10]{4 27 -27 27}y[--- 10]{8 0 0 0}z[--- 10]";
        QTest::newRow("list items as word processors write them")
            << Document(
                   "{\\listtext\\pard\\plain\\f2\\hich\\f2 \\'b7\\tab}\\pard\\fi-400\\li800 "
                   "item\\par"
                   "\\pard{\\pntext\\f2\\'B7\\tab}{\\*\\pn\\pnlvlblt}old")
            << "{1 53 -27 27}•\t[--- 12]item[--- 10]{1 0 0 0}•\told[--- 10]";
    }

    // Whole or cut at every byte, the same document; what comes after Finish is not read.
    void snippets() {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, described);
        QTextDocument whole, bytes;
        RtfReader(whole).Feed(rtf.constData(), int(rtf.size()));
        RtfReader byByte(bytes);
        for (char c : rtf) {
            byByte.Feed(&c, 1);
        }
        byByte.Finish();
        QCOMPARE(Describe(whole), described);
        QCOMPARE(Describe(bytes), described);
        QTextDocument half;
        RtfReader cut(half);
        cut.Feed(rtf.constData(), int(rtf.size() / 2));
        cut.Finish();
        const QString finished = Describe(half);
        cut.Feed(rtf.constData() + rtf.size() / 2, int(rtf.size() - rtf.size() / 2));
        QCOMPARE(Describe(half), finished);
    }

    // "title|phrase|phrase", streamed one whole fragment at a time as the dialog does (never one
    // that overruns the buffer): text not garbled, hidden material hidden, five bullets.
    void disclaimers_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("phrases");
        QTest::newRow("korean") << int(DISCLAIMER_KOREAN)
                                << "{4 0 0 0}면책 고지[b-- #1f497d 16]|(이하 “타브렐 "
                                   "시스템즈”)|원자력 시설 및 핵물질의 취급 또는 제어";
        QTest::newRow("english") << int(DISCLAIMER_ENGLISH)
                                 << "{4 0 0 0}Disclaimer of Liability[b-- #1f497d 16]|at the "
                                    "customer’s own risk.|0147 — Fax";
        QTest::newRow("french") << int(DISCLAIMER_FRENCH)
                                << "{4 0 0 0}Clause de non-responsabilité[b-- #1f497d 16]|entre "
                                   "0\u00a0°C et 50\u00a0°C|électroniques (DEEE)";
    }

    void disclaimers() {
        QFETCH(int, language);
        QFETCH(QString, phrases);
        QTextDocument document;
        RtfReader reader(document);
        DisclaimerStream stream{DisclaimerFragments(language), 0};
        char buffer[kDisclaimerChunkCapacity];
        QCOMPARE(readDisclaimerChunk(stream, buffer, 3), 0);
        for (int count; (count = readDisclaimerChunk(stream, buffer, sizeof buffer)) > 0;) {
            reader.Feed(buffer, count);
        }
        reader.Finish();
        const QString described = Describe(document);
        for (const QString& phrase : phrases.split('|')) {
            QVERIFY2(described.contains(phrase), qPrintable(phrase));
        }
        for (const char* hidden :
             {"\ufffd", "internal header", "Times New Roman", "List Paragraph"}) {
            QVERIFY2(!described.contains(hidden), hidden);
        }
        QCOMPARE(described.count("{1 53 -27 27}•\t"), 5);
    }
};

QTEST_MAIN(TestRtfReader)
#include "tst_rtf_reader.moc"
