// The RTF reader: small documents, one feature each, read whole and byte by byte; then the three
// disclaimer documents as the program carries them.
#include "resources/disclaimers/disclaimer_fragments.h"
#include "ui/rtf_reader.h"

#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

namespace {

void Read(QTextDocument& document, const QByteArray& rtf, int chunk) {
    RtfReader reader(document);
    for (int pos = 0; pos < rtf.size(); pos += chunk) {
        reader.Feed(rtf.constData() + pos, int(qMin<qsizetype>(chunk, rtf.size() - pos)));
    }
    reader.Finish();
}

QString Flags(const QList<std::pair<bool, QString>>& flags) {
    QStringList shown;
    for (const auto& flag : flags) {
        shown << (flag.first ? flag.second : QString());
    }
    shown.removeAll(QString());
    return shown.join(' ');
}

// Each paragraph as "{alignment, indents and tab stop in pixels}" and its runs as
// "text[bold italic underline colour size]", defaults (and a size of 10 points) left out.
QString Describe(const QTextDocument& document) {
    QStringList blocks;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat b = block.blockFormat();
        const qreal tab = b.tabPositions().isEmpty() ? 0 : b.tabPositions()[0].position;
        QString out = "{" +
                      Flags({{b.alignment() == Qt::AlignHCenter, "c"},
                             {b.alignment() == Qt::AlignJustify, "j"},
                             {b.leftMargin() != 0, QString("li%1").arg(qRound(b.leftMargin()))},
                             {b.textIndent() != 0, QString("fi%1").arg(qRound(b.textIndent()))},
                             {tab != 0, QString("tab%1").arg(qRound(tab))}}) +
                      "}";
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat c = it.fragment().charFormat();
            out +=
                it.fragment().text() + "[" +
                Flags({{c.fontWeight() == QFont::Bold, "b"},
                       {c.fontItalic(), "i"},
                       {c.fontUnderline(), "u"},
                       {c.hasProperty(QTextFormat::ForegroundBrush), c.foreground().color().name()},
                       {c.fontPointSize() != 10, QString::number(c.fontPointSize())}}) +
                "]";
        }
        blocks << out;
    }
    return blocks.join(' ');
}

QByteArray Document(const char* body) {
    return QByteArray(
               "{\\rtf1\\ansi\\ansicpg949\\deff0{\\fonttbl{\\f0\\fcharset0 Times;}"
               "{\\f1\\fcharset129 \\'b1\\'bc\\'b8\\'b2;}{\\f2\\fcharset2 Symbol;}}"
               "{\\colortbl;\\red31\\green73\\blue125;}\\fs20 ") +
           body + "}";
}

QByteArray Concatenate(const char* const* fragments) {
    QByteArray document;
    for (; *fragments != nullptr; ++fragments) {
        document += *fragments;
    }
    return document;
}

}  // namespace

class TestRtfReader : public QObject {
    Q_OBJECT

private slots:
    void snippets_data() {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("described");
        QTest::newRow("Western set") << Document("caf\\'e9 \\'93q\\'94") << "{}café “q”[]";
        QTest::newRow("Korean font, a pair cut by a line break")
            << Document("\\f1 \\'c7\\'d1\\'b1\r\n\\'db") << "{}한글[]";
        QTest::newRow("Hangul in the \\dbch font of a Western run")
            << Document("\\f0 caf\\'e9 {\\loch\\af0\\dbch\\af1 \\'c7\\'d1}\\hich\\af0 \\'e9")
            << "{}café 한é[]";
        QTest::newRow("\\u with its \\uc fallback skipped")
            << Document("\\uc2 it\\u8217\\'a1\\'afs\\uc1 {\\u-3913?}?") << "{}it’s\uf0b7?[]";
        QTest::newRow("destinations skipped")
            << Document(
                   "a{\\*\\unknown x{y}}b{\\info{\\title t}}c{\\headerr h\\par}d{\\*\\pn{\\pntxta "
                   ".}}e")
            << "{}abcde[]";
        QTest::newRow("character formats")
            << Document("{\\b\\i\\ul\\cf1\\fs32 T{\\b0\\ulnone\\cf0 N}}\\b B\\plain P")
            << "{}T[b i u #1f497d 16]N[i 16]B[b]P[12]";
        QTest::newRow("paragraph formats until \\pard")
            << Document("\\qc\\li400\\fi-400 x\\par y\\par\\pard\\qj z")
            << "{c li27 fi-27 tab27}x[] {c li27 fi-27 tab27}y[] {j}z[]";
        QTest::newRow("list items as word processors write them")
            << Document(
                   "{\\listtext\\pard\\plain\\f2\\hich\\f2 \\'b7\\tab}\\pard\\fi-400\\li800\\ls1 "
                   "item\\par\\pard {\\pntext\\f2\\'B7\\tab}{\\*\\pn\\pnlvlblt}old")
            << "{li53 fi-27 tab53}•\t[12]item[] {}•\told[]";
        QTest::newRow("symbols") << Document("a\\line b\\emdash\\~c\\{\\}\\\\")
                                 << "{}a\u2028b—\u00a0c{}\\[]";
        QTest::newRow("malformed: cut escape, unclosed groups")
            << QByteArray("{\\rtf1\\fs99999999999 {\\b a{\\i \\'zzb\\u99999999999?\\'4")
            << "{}a[b 1638]zzb\ufffd[b i 1638]";
        QTest::newRow("nothing outside the document") << QByteArray("x}{\\rtf1 a}{b}") << "{}a[12]";
    }

    // Whole or cut at every byte, the same document.
    void snippets() {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, described);
        for (int chunk : {int(rtf.size()), 1}) {
            QTextDocument document;
            Read(document, rtf, chunk);
            QCOMPARE(Describe(document), described);
        }
    }

    void disclaimers_data() {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QStringList>("phrases");
        QTest::newRow("korean") << Concatenate(koreanDisclaimer)
                                << QStringList{"{c}면책 고지[b #1f497d 16]",
                                               "(이하 “타브렐 시스템즈”)",
                                               "원자력 시설 및 핵물질의 취급 또는 제어"};
        QTest::newRow("english") << Concatenate(englishDisclaimer)
                                 << QStringList{"{c}Disclaimer of Liability[b #1f497d 16]",
                                                "at the customer’s own risk.", "0147 — Fax"};
        QTest::newRow("french") << Concatenate(frenchDisclaimer)
                                << QStringList{"{c}Clause de non-responsabilité[b #1f497d 16]",
                                               "entre 0\u00a0°C et 50\u00a0°C",
                                               "électroniques (DEEE)"};
    }

    // Text not garbled, hidden material hidden, title, five bullets; fragment by fragment the same.
    void disclaimers() {
        QFETCH(QByteArray, rtf);
        QFETCH(QStringList, phrases);
        QTextDocument document;
        Read(document, rtf, int(rtf.size()));
        const QString described = Describe(document);
        QVERIFY2(described.startsWith(phrases[0]), qPrintable(described.left(80)));
        for (const QString& phrase : phrases) {
            QVERIFY2(described.contains(phrase), qPrintable(phrase));
        }
        for (const char* hidden :
             {"\ufffd", "internal header", "Times New Roman", "List Paragraph"}) {
            QVERIFY2(!described.contains(hidden), qPrintable(hidden));
        }
        QCOMPARE(described.count("{li53 fi-27 tab53}•\t"), 5);
        QTextDocument pieces;
        Read(pieces, rtf, 7);
        QCOMPARE(pieces.toHtml(), document.toHtml());
    }
};

QTEST_MAIN(TestRtfReader)
#include "tst_rtf_reader.moc"
