#include "ui/rtf_interpreter.h"

namespace {

constexpr int kReplacement = 0xFFFD;

// Characters that would break the document's structure or are not characters at all become
// U+FFFD; a paragraph separator becomes a line break inside the paragraph.
int Sanitize(int codePoint) {
    if (codePoint == 0x2029) {
        return 0x2028;
    }
    const bool qtMarker = codePoint >= 0xFDD0 && codePoint <= 0xFDEF;
    if (qtMarker || codePoint == 0xFFFC || codePoint == 0xFFFE || codePoint == 0xFFFF ||
        codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        return kReplacement;
    }
    return codePoint;
}

}  // namespace

RtfInterpreter::RtfInterpreter(QTextDocument& document) : writer(document) {
    fonts.SetDocumentCodePage(kCodePageWestern);
}

bool RtfInterpreter::Ignoring() const {
    return ended || overflowDepth > 0 || groups.empty();
}

// Swallows one token of the fallback that follows a \u character.
bool RtfInterpreter::SkipsFallback() {
    if (fallbackLeft <= 0) {
        return false;
    }
    --fallbackLeft;
    return true;
}

void RtfInterpreter::OnGroupStart() {
    if (ended) {
        return;
    }
    fallbackLeft = 0;
    if (overflowDepth > 0 || groups.size() >= kMaxDepth) {
        ++overflowDepth;
        return;
    }
    Group group = groups.empty() ? Group() : groups.back();
    group.ignorable = false;
    groups.push_back(group);
}

void RtfInterpreter::OnGroupEnd() {
    fallbackLeft = 0;
    if (overflowDepth > 0) {
        --overflowDepth;
        return;
    }
    if (ended || groups.empty()) {
        return;
    }
    if (groups.size() == 1) {
        FlushPendingText();
    }
    const Group closed = groups.back();
    groups.pop_back();
    if (closed.destination == Destination::FontTable) {
        fonts.Commit();
    }
    if (groups.empty()) {
        lastParagraph = closed.paragraph;
        ended = true;
        return;
    }
    // Numbering properties are read in a group of their own but belong to the paragraph.
    Group& parent = groups.back();
    if (closed.destination == Destination::Numbering &&
        parent.destination != Destination::Numbering) {
        parent.paragraph.listId = closed.paragraph.listId;
        parent.paragraph.listLevel = closed.paragraph.listLevel;
        parent.paragraph.listStyle = closed.paragraph.listStyle;
    }
}

void RtfInterpreter::OnControlWord(std::string_view word, bool hasParam, int param) {
    if (Ignoring() || SkipsFallback()) {
        return;
    }
    Group& group = groups.back();
    const RtfControlWord* entry = FindControlWord(word);
    if (group.ignorable) {
        group.ignorable = false;
        const bool readable = entry != nullptr && (entry->action == RtfAction::OldStyleNumbering ||
                                                   entry->action == RtfAction::FontTable ||
                                                   entry->action == RtfAction::ColorTable);
        if (!readable) {
            group.destination = Destination::Skip;
            return;
        }
    }
    if (entry != nullptr && group.destination != Destination::Skip) {
        Dispatch(*entry, hasParam, param);
    }
}

void RtfInterpreter::OnControlSymbol(char symbol) {
    if (Ignoring() || SkipsFallback()) {
        return;
    }
    Group& group = groups.back();
    if (symbol == '*') {
        group.ignorable = true;
        return;
    }
    if (group.destination != Destination::Text) {
        return;
    }
    switch (symbol) {
        case '~':
            EmitCodePoint(0x00A0);
            break;
        case '-':
            EmitCodePoint(0x00AD);
            break;
        case '_':
            EmitCodePoint(0x2011);
            break;
        case '\n':
            EndParagraph();
            break;
        default:
            break;
    }
}

void RtfInterpreter::OnByte(unsigned char byte, bool escaped) {
    if (Ignoring() || SkipsFallback()) {
        return;
    }
    const bool separator = !escaped && byte == ';';
    switch (groups.back().destination) {
        case Destination::Text:
            EmitByte(byte);
            break;
        case Destination::FontTable:
            if (separator) {
                fonts.Commit();
            } else {
                fonts.AddNameByte(byte);
            }
            break;
        case Destination::ColorTable:
            if (separator) {
                colors.Commit();
            }
            break;
        default:
            break;
    }
}

void RtfInterpreter::Finish() {
    if (!groups.empty()) {
        FlushPendingText();
    }
    writer.Finish(groups.empty() ? lastParagraph : groups.back().paragraph);
}

void RtfInterpreter::EmitByte(unsigned char byte) {
    if (byte == '\t') {
        EmitCodePoint('\t');
        return;
    }
    if (byte < 0x20) {
        return;
    }
    scratch.clear();
    if (highSurrogate != 0) {
        scratch += QChar(kReplacement);
        highSurrogate = 0;
    }
    const RtfCharState& character = groups.back().character;
    decoder.SetCodePage(fonts.CodePageOf(character.font >= 0 ? character.font : defaultFont),
                        scratch);
    decoder.Push(byte, scratch);
    EmitText(scratch);
}

// \uN: N is a signed 16-bit number in most writers, so negative values count from 65536.
// The fallback bytes that follow stand for the same character and are skipped, also outside
// running text (in a font name, say).
void RtfInterpreter::EmitUnicode(int param) {
    Group& group = groups.back();
    if (group.destination == Destination::Text) {
        const int codePoint = param < 0 ? param + 65536 : param;
        EmitCodePoint(codePoint < 0 ? kReplacement : codePoint);
    }
    fallbackLeft = group.fallbackBytes;
}

void RtfInterpreter::EmitCodePoint(int codePoint) {
    if (codePoint >= 0xD800 && codePoint <= 0xDBFF) {
        FlushPendingText();
        highSurrogate = static_cast<char16_t>(codePoint);
        return;
    }
    scratch.clear();
    if (codePoint >= 0xDC00 && codePoint <= 0xDFFF && highSurrogate != 0) {
        scratch += QChar(highSurrogate);
        scratch += QChar(static_cast<char16_t>(codePoint));
        highSurrogate = 0;
        EmitText(scratch);
        return;
    }
    FlushPendingText();
    if (codePoint < 0x20 && codePoint != '\t') {
        return;
    }
    const char32_t safe = static_cast<char32_t>(Sanitize(codePoint));
    scratch = QString::fromUcs4(&safe, 1);
    EmitText(scratch);
}

void RtfInterpreter::EmitText(const QString& text) {
    const Group& group = groups.back();
    if (text.isEmpty() || group.character.hidden) {
        return;
    }
    SyncCharFormat();
    writer.AddText(text);
}

// Gives the writer the current character format, computed again only when it changed.
void RtfInterpreter::SyncCharFormat() {
    const RtfCharState& character = groups.back().character;
    if (!writerStateValid || character != writerState) {
        writerState = character;
        writerStateValid = true;
        writer.SetCharFormat(MakeCharFormat(writerState, fonts, colors, defaultFont));
    }
}

// Ends a character left incomplete: a lead byte without its trail byte or a lone high
// surrogate becomes U+FFFD.
void RtfInterpreter::FlushPendingText() {
    QString pending;
    if (highSurrogate != 0) {
        pending += QChar(kReplacement);
        highSurrogate = 0;
    }
    decoder.Flush(pending);
    EmitText(pending);
}

void RtfInterpreter::EndParagraph() {
    FlushPendingText();
    SyncCharFormat();
    writer.EndParagraph(groups.back().paragraph);
}
