// The RTF reader on the three disclaimer documents compiled into the program.
#include "resources/disclaimers/disclaimer_fragments.h"
#include "ui/rtf_reader.h"
#include "ui_test_support.h"

#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

namespace {

QByteArray Concatenate(const char* const* fragments) {
    QByteArray document;
    for (; *fragments != nullptr; ++fragments) {
        document += *fragments;
    }
    return document;
}

QList<QTextBlock> Blocks(const QTextDocument& document) {
    QList<QTextBlock> blocks;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        blocks << block;
    }
    return blocks;
}

QTextBlock BlockStartingWith(const QTextDocument& document, const QString& start) {
    for (const QTextBlock& block : Blocks(document)) {
        if (block.text().startsWith(start)) {
            return block;
        }
    }
    return QTextBlock();
}

// The character format of the first character of `text` in `block`.
QTextCharFormat FormatOf(const QTextBlock& block, const QString& text) {
    const int offset = block.text().indexOf(text);
    if (offset < 0) {
        return QTextCharFormat();
    }
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + offset + 1);
    return cursor.charFormat();
}

// Material of the documents that a viewer must not show: information group, header, style
// sheet, font table, list definitions, theme data, latent styles, field instructions.
const QStringList kHidden =
    QStringLiteral(
        "Quillbox notice|internal header|Times New Roman|List Paragraph|Normal Table|"
        "heading 1|504b0304|HYPERLINK|DocWriter|Symbol|\u00a1|\u00b7|\u2022|\ufffd")
        .split(QLatin1Char('|'));

const QColor kHeadingColour(31, 73, 125);

}  // namespace

class TestRtfDocuments : public QObject {
    Q_OBJECT

private slots:
    void textIsDecodedAndSkippedGroupsStayHidden_data() { AddDocuments(); }
    void textIsDecodedAndSkippedGroupsStayHidden();
    void titleListAndParagraphsKeepTheirFormats_data() { AddDocuments(); }
    void titleListAndParagraphsKeepTheirFormats();
    void readingInPiecesGivesTheSameDocument_data() { AddDocuments(); }
    void readingInPiecesGivesTheSameDocument();

private:
    static void AddDocuments();
};

void TestRtfDocuments::AddDocuments() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("firstItem");
    QTest::addColumn<QString>("firstBody");
    QTest::addColumn<QString>("afterList");
    QTest::newRow("korean") << Concatenate(koreanDisclaimer)
                            << QStringList{QStringLiteral("(이하 \u201c타브렐 시스템즈\u201d)"),
                                           QStringLiteral("원자력 시설 및 핵물질의 취급 또는 제어"),
                                           QStringLiteral("제품을 선택해 주셔서 감사합니다."),
                                           QStringLiteral("031-555-0147 \u2014 팩스")}
                            << QStringLiteral("면책 고지") << QStringLiteral("생명 유지 장치")
                            << QStringLiteral("타브렐 시스템즈 주식회사(이하")
                            << QStringLiteral("타브렐 시스템즈는 위 분야에서");
    QTest::newRow("english") << Concatenate(englishDisclaimer)
                             << QStringList{QStringLiteral("(\u201cTavrel Systems\u201d)"),
                                            QStringLiteral("at the customer\u2019s own risk."),
                                            QStringLiteral("Thank you for choosing Tavrel Systems"),
                                            QStringLiteral("0147 \u2014 Fax")}
                             << QStringLiteral("Disclaimer of Liability")
                             << QStringLiteral("life-support equipment")
                             << QStringLiteral("Tavrel Systems Co., Ltd. (\u201c")
                             << QStringLiteral("Tavrel Systems accepts no liability");
    QTest::newRow("french") << Concatenate(frenchDisclaimer)
                            << QStringList{QStringLiteral(
                                               "(\u00ab\u00a0Tavrel Systems\u00a0\u00bb)"),
                                           QStringLiteral("entre 0\u00a0°C et 50\u00a0°C"),
                                           QStringLiteral("électroniques (DEEE)"),
                                           QStringLiteral("Merci d\u2019avoir choisi")}
                            << QStringLiteral("Clause de non-responsabilité")
                            << QStringLiteral("appareils de maintien des fonctions vitales")
                            << QStringLiteral("Tavrel Systems Co., Ltd. (\u00ab")
                            << QStringLiteral("Tavrel Systems décline toute responsabilité");
}

void TestRtfDocuments::textIsDecodedAndSkippedGroupsStayHidden() {
    QFETCH(QByteArray, rtf);
    QFETCH(QStringList, expected);
    QTextDocument document;
    ReadRtf(document, rtf);
    // The raw text keeps the no-break spaces that the plain text turns into blanks.
    const QString text = document.toRawText();
    for (const QString& phrase : expected) {
        QVERIFY2(text.contains(phrase), qPrintable(phrase));
    }
    for (const QString& hidden : kHidden) {
        QVERIFY2(!text.contains(hidden), qPrintable(hidden));
    }
}

void TestRtfDocuments::titleListAndParagraphsKeepTheirFormats() {
    QFETCH(QByteArray, rtf);
    QFETCH(QString, title);
    QFETCH(QString, firstItem);
    QFETCH(QString, firstBody);
    QFETCH(QString, afterList);
    QTextDocument document;
    ReadRtf(document, rtf);
    const QTextBlock first = document.begin();
    QCOMPARE(first.text(), title);
    QCOMPARE(first.blockFormat().alignment(), Qt::AlignHCenter);
    const QTextCharFormat format = FormatOf(first, title);
    QCOMPARE(format.fontWeight(), int(QFont::Bold));
    QCOMPARE(format.foreground().color(), kHeadingColour);
    QCOMPARE(format.fontPointSize(), 16.0);
    const QTextCharFormat bodyText = FormatOf(first.next().next(), QStringLiteral(" "));
    QCOMPARE(bodyText.fontPointSize(), 10.0);
    QVERIFY(bodyText.fontWeight() != QFont::Bold);

    // Five bullets in one disc list, without their bullet text.
    QList<QTextBlock> listed;
    for (const QTextBlock& block : Blocks(document)) {
        if (block.textList() != nullptr) {
            listed << block;
        }
    }
    QCOMPARE(listed.size(), 5);
    QTextList* list = listed.first().textList();
    QCOMPARE(list->count(), 5);
    QCOMPARE(list->format().style(), QTextListFormat::ListDisc);
    QVERIFY2(listed.first().text().startsWith(firstItem), qPrintable(listed.first().text()));
    for (const QTextBlock& block : listed) {
        QCOMPARE(block.textList(), list);
        QVERIFY2(!block.text().contains(QLatin1Char('\t')), qPrintable(block.text()));
    }
    const QTextBlock after = listed.last().next();
    QVERIFY(after.text().startsWith(afterList));
    QCOMPARE(after.textList(), nullptr);

    // \fi400 and \li400 are 400 twips: 26.7 pixels at 96 dpi.
    const QTextBlockFormat body = BlockStartingWith(document, firstBody).blockFormat();
    QCOMPARE(body.alignment(), Qt::AlignJustify);
    QVERIFY(qAbs(body.textIndent() - 400 / 15.0) < 0.01);
    QCOMPARE(body.leftMargin(), 0.0);
    QVERIFY(qAbs(body.bottomMargin() - 120 / 15.0) < 0.01);
    QVERIFY(qAbs(after.blockFormat().leftMargin() - 400 / 15.0) < 0.01);
    // A list item's text starts at its \li800 (53.3 pixels): the list's indent plus the margin.
    const qreal textStart = listed.first().blockFormat().leftMargin() +
                            list->format().indent() * document.indentWidth();
    QVERIFY(qAbs(textStart - 800 / 15.0) < 0.01);
}

void TestRtfDocuments::readingInPiecesGivesTheSameDocument() {
    QFETCH(QByteArray, rtf);
    QTextDocument whole;
    ReadRtf(whole, rtf);
    for (int chunk : {1, 2, 3, 7, 344}) {
        QTextDocument pieces;
        ReadRtf(pieces, rtf, chunk);
        QCOMPARE(pieces.toPlainText(), whole.toPlainText());
        QCOMPARE(pieces.toHtml(), whole.toHtml());
    }
}

QTEST_MAIN(TestRtfDocuments)
#include "tst_rtf_documents.moc"
