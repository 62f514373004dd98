#pragma once

#include "ui/rtf_formats.h"

#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>

class QTextDocument;
class QTextList;

// Writes text into a QTextDocument paragraph by paragraph. Text is gathered into runs of one
// character format and inserted a run at a time; a paragraph gets its block format when it ends,
// and consecutive list items of one list become items of one QTextList. The block after the last
// paragraph break is opened only when more content follows, so a document that ends with a break
// gets no empty last line. Not thread-safe: the thread that owns the document calls it.
class RtfDocumentWriter {
public:
    // Clears `document`, which must outlive the writer.
    explicit RtfDocumentWriter(QTextDocument& document);

    // The format of the text added from now on.
    void SetCharFormat(const QTextCharFormat& format);
    void AddText(const QString& text);
    // Ends the current paragraph, which takes the properties `paragraph`.
    void EndParagraph(const RtfParaState& paragraph);
    // Writes what is still gathered; a last paragraph without a break takes `paragraph`.
    void Finish(const RtfParaState& paragraph);

private:
    void FlushRun();
    void OpenPendingBlock();
    void FormatBlock(const RtfParaState& paragraph);
    void JoinList(const RtfParaState& paragraph);

    QTextDocument& document;
    QTextCursor cursor;
    QString run;
    QTextCharFormat format;
    bool blockPending = false;
    QTextList* list = nullptr;
    int listId = 0;
    int listLevel = 0;
    QTextListFormat::Style listStyle = QTextListFormat::ListDisc;
};
