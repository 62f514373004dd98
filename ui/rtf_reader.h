#pragma once

#include <QColor>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>

#include <map>
#include <string>
#include <string_view>
#include <vector>

class QTextDocument;

// Reads an RTF document into a QTextDocument, as one edit block, from chunks of any size split
// anywhere: how it was cut never changes the result. Shown: text in its font's character set
// (code page 949 for Korean fonts, also as the \dbch font of a Western run), \u characters with
// their \uc fallback skipped, bold, italic, underline, colour, size, alignment, first-line and
// left indents, paragraph spacing, and list items as a word processor writes them (a \listtext
// or \pntext bullet, then the text at the hanging indent). Not shown: the font and colour
// tables, the other known destinations and any {\* ...}. Time and memory grow linearly with the
// input. Thread: the one that owns the document.
class RtfReader {
public:
    // Clears `document`, which must outlive the reader.
    explicit RtfReader(QTextDocument& document);
    ~RtfReader();  // finishes the document
    RtfReader(const RtfReader&) = delete;
    RtfReader& operator=(const RtfReader&) = delete;

    // Reads `length` more bytes; ignored after Finish, or when `data` is null or `length` <= 0.
    void Feed(const char* data, int length);
    // Writes out the last paragraph and closes the edit block. Later calls do nothing.
    void Finish();

private:
    enum class Lex { Text, Backslash, Word, Param, Hex };
    enum Destination { kShown, kFontTable, kColourTable, kSkipped };
    enum CharClass { kLowAnsi, kHighAnsi, kDoubleByte };  // set by \loch, \hich, \dbch

    // What a group keeps and restores.
    struct State {
        Destination destination = kShown;
        CharClass charClass = kLowAnsi;
        int unicodeSkip = 1;
        int font = -1;
        int doubleByteFont = -1;  // the \af of \dbch text
        QTextCharFormat chars;
        QTextBlockFormat paragraph;
    };

    void Consume(unsigned char c);
    void Group(bool open);
    void ControlSymbol(unsigned char c);
    void ControlWord(std::string_view name, bool hasParam, int param);
    bool FormatWord(std::string_view name, bool hasParam, int param);
    void TableWord(std::string_view name, int param);
    bool Reading() const;
    void TextByte(unsigned char byte);
    int CodePageFor() const;
    void FlushText();
    void ApplyParagraph();

    QTextCursor cursor;
    bool finished = false;

    Lex lex = Lex::Text;
    std::string word;
    bool negative = false;
    bool hasParam = false;
    long param = 0;
    int hexDigits = 0;
    int hexValue = 0;

    State state;
    std::vector<State> groups;
    bool ended = false;
    int fallbackLeft = 0;

    int ansiCodePage = 1252;
    int defaultFont = 0;
    int tableFont = 0;
    std::map<int, int> fontCodePages;
    std::vector<QColor> colours;
    QColor tableColour;  // the colour table's entry being read; invalid for "automatic"

    std::string bytes;
    int bytesCodePage = 0;
    bool leadPending = false;
    QString text;
};
