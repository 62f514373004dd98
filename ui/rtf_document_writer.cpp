#include "ui/rtf_document_writer.h"

#include <QTextDocument>
#include <QTextList>

RtfDocumentWriter::RtfDocumentWriter(QTextDocument& document) : document(document) {
    document.clear();
    cursor = QTextCursor(&document);
}

void RtfDocumentWriter::SetCharFormat(const QTextCharFormat& newFormat) {
    FlushRun();
    format = newFormat;
}

void RtfDocumentWriter::AddText(const QString& text) {
    if (text.isEmpty()) {
        return;
    }
    OpenPendingBlock();
    run += text;
}

void RtfDocumentWriter::EndParagraph(const RtfParaState& paragraph) {
    FlushRun();
    OpenPendingBlock();
    // An empty paragraph is as high as the font that was in effect at its mark.
    cursor.setBlockCharFormat(format);
    FormatBlock(paragraph);
    blockPending = true;
}

void RtfDocumentWriter::Finish(const RtfParaState& paragraph) {
    FlushRun();
    if (!blockPending && cursor.block().length() > 1) {
        FormatBlock(paragraph);
    }
}

void RtfDocumentWriter::FlushRun() {
    if (run.isEmpty()) {
        return;
    }
    cursor.insertText(run, format);
    run.clear();
}

void RtfDocumentWriter::OpenPendingBlock() {
    if (blockPending) {
        cursor.insertBlock(QTextBlockFormat(), format);
        blockPending = false;
    }
}

void RtfDocumentWriter::FormatBlock(const RtfParaState& paragraph) {
    cursor.setBlockFormat(MakeBlockFormat(paragraph, document.indentWidth()));
    if (paragraph.listId == 0) {
        list = nullptr;
        return;
    }
    JoinList(paragraph);
}

// Continues the current list when the paragraph belongs to it, else starts a new one.
void RtfDocumentWriter::JoinList(const RtfParaState& paragraph) {
    if (list != nullptr && paragraph.listId == listId && paragraph.listLevel == listLevel &&
        paragraph.listStyle == listStyle) {
        list->add(cursor.block());
        return;
    }
    QTextListFormat listFormat;
    listFormat.setStyle(paragraph.listStyle);
    listFormat.setIndent(paragraph.listLevel + 1);
    list = cursor.createList(listFormat);
    listId = paragraph.listId;
    listLevel = paragraph.listLevel;
    listStyle = paragraph.listStyle;
}
