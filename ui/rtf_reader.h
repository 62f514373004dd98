#pragma once

#include <memory>

class QTextDocument;
class RtfInterpreter;
class RtfTokenizer;

// Reads an RTF document into a QTextDocument. The document arrives in chunks of any size, split
// anywhere (Feed), and is complete after Finish. Shown: text in each font's character set
// (code page 949 for Korean fonts, Windows-1252 for Western ones, the symbol set's bullet),
// \u characters with their fallback skipped, bold, italic, underline, strike-through, colours,
// sizes, fonts, alignment, first-line, left and right indents, paragraph spacing and bulleted
// lists (as QTextList items, without the literal bullet text). Skipped: the font, colour and
// style tables, the information group, pictures, headers and footers, list definitions and every
// {\* ...} destination this reader does not know. Malformed input never crashes or hangs the
// reader; its time and memory grow linearly with the input.
//
// Thread: the thread that owns the document, one reader per document at a time. Nothing blocks.
class RtfReader {
public:
    // Clears `document`; the document must outlive the reader.
    explicit RtfReader(QTextDocument& document);
    ~RtfReader();
    RtfReader(const RtfReader&) = delete;
    RtfReader& operator=(const RtfReader&) = delete;

    // Reads `length` more bytes; ignored after Finish, or when `data` is null or `length` <= 0.
    void Feed(const char* data, int length);
    // Ends the document and writes out what is still gathered. Later calls do nothing.
    void Finish();

private:
    std::unique_ptr<RtfInterpreter> interpreter;
    std::unique_ptr<RtfTokenizer> tokenizer;
    bool finished = false;
};
