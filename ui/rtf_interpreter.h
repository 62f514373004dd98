#pragma once

#include "ui/rtf_code_page.h"
#include "ui/rtf_control_words.h"
#include "ui/rtf_document_writer.h"
#include "ui/rtf_formats.h"
#include "ui/rtf_tables.h"
#include "ui/rtf_tokenizer.h"

#include <vector>

class QTextDocument;

// Gives the tokens of an RTF document their meaning: keeps the group stack with its character
// and paragraph properties, reads the font and colour tables, skips what a viewer does not show,
// decodes text in each font's code page and writes the result through RtfDocumentWriter.
// At most kMaxDepth groups are open at once; deeper groups are skipped whole. Everything after
// the document's outermost group is ignored. Not thread-safe: the document's thread calls it.
class RtfInterpreter final : public RtfTokenSink {
public:
    static constexpr std::size_t kMaxDepth = 256;

    // Clears `document`, which must outlive the interpreter.
    explicit RtfInterpreter(QTextDocument& document);

    void OnGroupStart() override;
    void OnGroupEnd() override;
    void OnControlWord(std::string_view word, bool hasParam, int param) override;
    void OnControlSymbol(char symbol) override;
    void OnByte(unsigned char byte, bool escaped) override;

    // Writes out what is still gathered.
    void Finish();

private:
    enum class Destination { Text, Skip, FontTable, ColorTable, Numbering };

    struct Group {
        RtfCharState character;
        RtfParaState paragraph;
        int fallbackBytes = 1;
        Destination destination = Destination::Text;
        bool ignorable = false;  // after \*: an unknown destination is skipped
    };

    bool Ignoring() const;
    bool SkipsFallback();
    void Dispatch(const RtfControlWord& word, bool hasParam, int param);
    bool DispatchDestination(RtfAction action);
    bool DispatchDocument(RtfAction action, int value, bool hasParam, int param);
    bool DispatchTable(RtfAction action, int value, bool hasParam, int param);
    bool DispatchCharacter(RtfAction action, int value, bool hasParam, int param);
    bool DispatchParagraph(RtfAction action, int value, bool hasParam, int param);
    void DispatchText(RtfAction action, int value);
    void SetColorComponent(RtfAction action, int value);

    void EmitByte(unsigned char byte);
    void EmitUnicode(int param);
    void EmitCodePoint(int codePoint);
    void EmitText(const QString& text);
    void SyncCharFormat();
    void FlushPendingText();
    void EndParagraph();

    RtfDocumentWriter writer;
    RtfFontTable fonts;
    RtfColorTable colors;
    RtfCodePageDecoder decoder;
    std::vector<Group> groups;
    RtfParaState lastParagraph;
    std::size_t overflowDepth = 0;
    bool ended = false;
    int defaultFont = 0;
    int fallbackLeft = 0;
    char16_t highSurrogate = 0;
    RtfCharState writerState;
    bool writerStateValid = false;
    QString scratch;
};
