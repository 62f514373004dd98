#include "ui/rtf_reader.h"

#include <QTextDocument>

#include <iconv.h>
#include <algorithm>
#include <cerrno>

namespace {

constexpr long kMaxParam = 100000000;
constexpr int kMaxTwips = 31680;
constexpr double kTwipsPerPixel = 15.0;
constexpr int kSymbolCodePage = 42;

// Destinations whose content is not shown, besides any {\* ...}.
constexpr std::string_view kSkippedDestinations =
    " info stylesheet listtable listoverridetable pict object header headerl headerr headerf "
    "footer footerl footerr footerf footnote fldinst themedata datastore colorschememapping "
    "latentstyles rsidtbl xmlnstbl generator mmathPr ";

constexpr std::pair<std::string_view, char16_t> kSpecials[] = {
    {"tab", u'\t'},        {"line", 0x2028},      {"emdash", 0x2014},
    {"endash", 0x2013},    {"lquote", 0x2018},    {"rquote", 0x2019},
    {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"bullet", 0x2022}};

bool IsLetter(unsigned char c) {
    return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
}

bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

int HexDigit(unsigned char c) {
    return IsDigit(c) ? c - '0' : (c | 0x20) >= 'a' && (c | 0x20) <= 'f' ? (c | 0x20) - 87 : -1;
}

// Western, symbol and Korean fonts; any other reads in the document's code page.
int CharsetCodePage(int charset) {
    return charset == 0 ? 1252 : charset == 2 ? kSymbolCodePage : charset == 129 ? 949 : -1;
}

// `bytes` of a Windows code page as text: U+FFFD for a sequence the code page does not define,
// Latin-1 for a code page iconv does not know; of the symbol set only the bullet counts.
QString Decode(int codePage, const std::string& bytes) {
    QString latin1 = QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    const iconv_t converter = bytes.empty() || codePage == kSymbolCodePage
                                  ? iconv_t(-1)
                                  : iconv_open("UTF-8", ("CP" + std::to_string(codePage)).c_str());
    if (converter == iconv_t(-1)) {
        return codePage == kSymbolCodePage ? latin1.replace(QChar(0xB7), QChar(0x2022)) : latin1;
    }
    QString text;
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char buffer[512];
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        const bool failed = iconv(converter, &in, &inLeft, &out, &outLeft) == std::size_t(-1);
        const int error = errno;
        text += QString::fromUtf8(buffer, out - buffer);
        if (failed && error != E2BIG) {
            text += QChar::ReplacementCharacter;
            ++in;
            --inLeft;
        }
    }
    iconv_close(converter);
    return text;
}

}  // namespace

RtfReader::RtfReader(QTextDocument& document) {
    document.clear();
    cursor = QTextCursor(&document);
    cursor.beginEditBlock();
    state.chars.setFontPointSize(12);
}

RtfReader::~RtfReader() {
    Finish();
}

void RtfReader::Feed(const char* data, int length) {
    for (int i = 0; !finished && data != nullptr && i < length; ++i) {
        Consume(static_cast<unsigned char>(data[i]));
    }
}

void RtfReader::Finish() {
    if (!finished) {
        finished = true;
        FlushText();
        if (!ended) {
            ApplyParagraph();
        }
        cursor.endEditBlock();
    }
}

// One byte of the input; the lexer keeps what it needs across chunks.
void RtfReader::Consume(unsigned char c) {
    switch (lex) {
        case Lex::Text:
            if (c == '{' || c == '}') {
                Group(c == '{');
            } else if (c == '\\') {
                lex = Lex::Backslash;
            } else if (c >= 0x20) {
                TextByte(c);
            }
            return;
        case Lex::Backslash:
            lex = IsLetter(c) ? Lex::Word : c == '\'' ? Lex::Hex : Lex::Text;
            word.assign(1, static_cast<char>(c));
            negative = hasParam = false;
            param = hexDigits = hexValue = 0;
            if (lex == Lex::Text) {
                ControlSymbol(c);
            }
            return;
        case Lex::Word:
            if (IsLetter(c)) {
                word += static_cast<char>(c);
                return;
            }
            if (c == '-') {
                negative = true;
                lex = Lex::Param;
                return;
            }
            [[fallthrough]];
        case Lex::Param:
            if (IsDigit(c)) {
                hasParam = true;
                param = std::min(param * 10 + (c - '0'), kMaxParam);
                lex = Lex::Param;
                return;
            }
            // A blank that ends a control word belongs to it.
            lex = Lex::Text;
            ControlWord(word, hasParam, static_cast<int>(negative ? -param : param));
            return c == ' ' ? void() : Consume(c);
        case Lex::Hex:
            lex = HexDigit(c) >= 0 && hexDigits == 0 ? Lex::Hex : Lex::Text;
            if (HexDigit(c) < 0) {
                return Consume(c);
            }
            hexValue = hexValue * 16 + HexDigit(c);
            if (++hexDigits == 2) {
                TextByte(static_cast<unsigned char>(hexValue));
            }
            return;
    }
}

// The end of the document's outer group ends its last paragraph; nothing after it is read.
void RtfReader::Group(bool open) {
    FlushText();
    fallbackLeft = 0;
    if (open && !ended) {
        groups.push_back(state);
    } else if (!open && !groups.empty()) {
        if (groups.size() == 1) {
            ApplyParagraph();
        }
        state = groups.back();
        groups.pop_back();
        ended = groups.empty();
    }
}

void RtfReader::ControlSymbol(unsigned char c) {
    FlushText();
    if (!Reading()) {
        return;
    }
    if (c == '*') {
        state.destination = kSkipped;
    } else if (c == '\\' || c == '{' || c == '}') {
        TextByte(c);
    } else if ((c == '~' || c == '_' || c == '-') && state.destination == kShown) {
        text += QChar(c == '~' ? 0x00A0 : c == '_' ? 0x2011 : 0x00AD);
    } else if (c == '\r' || c == '\n') {
        ControlWord("par", false, 0);
    }
}

void RtfReader::ControlWord(std::string_view name, bool hasParam, int param) {
    FlushText();
    if (!Reading()) {
        return;
    }
    if (kSkippedDestinations.find(' ' + std::string(name) + ' ') != std::string_view::npos) {
        state.destination = kSkipped;
    } else if (name == "fonttbl" || name == "colortbl") {
        state.destination = name == "fonttbl" ? kFontTable : kColourTable;
    } else if (state.destination != kShown) {
        TableWord(name, param);
    } else if (name == "u") {
        text += QChar(param < -32768 || param > 65535 ? 0xFFFD : static_cast<char16_t>(param));
        fallbackLeft = state.unicodeSkip;
    } else if (name == "par") {
        ApplyParagraph();
        cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
    } else if (!FormatWord(name, hasParam, param)) {
        for (const auto& special : kSpecials) {
            if (special.first == name) {
                text += QChar(special.second);
            }
        }
    }
}

bool RtfReader::FormatWord(std::string_view name, bool hasParam, int param) {
    const bool on = !hasParam || param != 0;
    const double pixels = std::clamp(param, -kMaxTwips, kMaxTwips) / kTwipsPerPixel;
    const bool colour = param > 0 && param < static_cast<int>(colours.size());
    QTextCharFormat& chars = state.chars;
    QTextBlockFormat& paragraph = state.paragraph;
    if (name == "plain") {
        chars = QTextCharFormat();
        chars.setFontPointSize(12);
        state.font = defaultFont;
        state.doubleByteFont = -1;
        state.charClass = kLowAnsi;
    } else if (name == "pard") {
        paragraph = QTextBlockFormat();
    } else if (name == "b") {
        chars.setFontWeight(on ? QFont::Bold : QFont::Normal);
    } else if (name == "i") {
        chars.setFontItalic(on);
    } else if (name == "ul" || name == "ulnone") {
        chars.setFontUnderline(on && name == "ul");
    } else if (name == "fs") {
        chars.setFontPointSize(std::clamp(hasParam ? param : 24, 2, 3276) / 2.0);
    } else if (name == "cf" && colour && colours[param].isValid()) {
        chars.setForeground(colours[param]);
    } else if (name == "cf") {
        chars.clearForeground();
    } else if (name == "ql" || name == "qc" || name == "qr" || name == "qj") {
        paragraph.setAlignment(name == "ql"   ? Qt::AlignLeft
                               : name == "qc" ? Qt::AlignHCenter
                               : name == "qr" ? Qt::AlignRight
                                              : Qt::AlignJustify);
    } else if (name == "fi" || name == "li" || name == "sb" || name == "sa") {
        paragraph.setProperty(name == "fi"   ? QTextFormat::TextIndent
                              : name == "li" ? QTextFormat::BlockLeftMargin
                              : name == "sb" ? QTextFormat::BlockTopMargin
                                             : QTextFormat::BlockBottomMargin,
                              name == "fi" ? pixels : std::max(pixels, 0.0));
    } else if (name == "f" || name == "deff") {
        state.font = param;
        defaultFont = name == "deff" ? param : defaultFont;
    } else if (name == "af" && state.charClass == kDoubleByte) {
        state.doubleByteFont = param;
    } else if (name == "loch" || name == "hich" || name == "dbch") {
        state.charClass = name == "loch" ? kLowAnsi : name == "hich" ? kHighAnsi : kDoubleByte;
    } else if (name == "uc") {
        state.unicodeSkip = std::clamp(param, 0, 8);
    } else if (name == "ansicpg") {
        ansiCodePage = param;
    } else {
        return false;
    }
    return true;
}

// The font and colour tables, read wherever they stand.
void RtfReader::TableWord(std::string_view name, int param) {
    if (state.destination == kFontTable && name == "f") {
        tableFont = param;
    } else if (state.destination == kFontTable && (name == "fcharset" || name == "cpg")) {
        fontCodePages[tableFont] = name == "cpg" ? param : CharsetCodePage(param);
    } else if (name == "red" || name == "green" || name == "blue") {
        const int value = std::clamp(param, 0, 255);
        name == "red"     ? tableColour.setRed(value)
        : name == "green" ? tableColour.setGreen(value)
                          : tableColour.setBlue(value);
    }
}

// True inside the document's outer group, in a destination that is read.
bool RtfReader::Reading() const {
    return !groups.empty() && state.destination != kSkipped;
}

void RtfReader::TextByte(unsigned char byte) {
    if (Reading() && state.destination == kColourTable && byte == ';') {
        colours.push_back(tableColour);
        tableColour = QColor();
    }
    if (!Reading() || state.destination != kShown) {
        return;
    }
    if (fallbackLeft > 0) {
        --fallbackLeft;
        return;
    }
    const int codePage = CodePageFor();
    if (codePage != bytesCodePage) {
        text += Decode(bytesCodePage, bytes);
        bytes.clear();
        bytesCodePage = codePage;
    }
    bytes += static_cast<char>(byte);
    // In code page 949 a byte from 0x81 on leads a two-byte character.
    leadPending = codePage == 949 && !leadPending && byte >= 0x81;
}

// The code page of the next byte: a two-byte character ends in the code page it began in;
// \dbch text is in its \af font, other text in the run's font; a font without character set or
// missing from the table reads in the document's code page.
int RtfReader::CodePageFor() const {
    if (leadPending) {
        return bytesCodePage;
    }
    const bool doubleByte = state.charClass == kDoubleByte && state.doubleByteFont >= 0;
    const auto entry = fontCodePages.find(doubleByte ? state.doubleByteFont : state.font);
    return entry != fontCodePages.end() && entry->second > 0 ? entry->second : ansiCodePage;
}

void RtfReader::FlushText() {
    text += Decode(bytesCodePage, bytes);
    bytes.clear();
    leadPending = false;
    if (!text.isEmpty()) {
        cursor.insertText(text, state.chars);
        text.clear();
    }
}

// Gives the paragraph that the cursor is in the formatting now in effect. A hanging indent puts
// a tab stop at the left indent (measured from the first line's start), where a list item's
// text after its bullet lines up with its next lines.
void RtfReader::ApplyParagraph() {
    QTextBlockFormat format = state.paragraph;
    format.setTextIndent(std::max(format.textIndent(), -format.leftMargin()));
    if (format.textIndent() < 0) {
        format.setTabPositions({QTextOption::Tab(-format.textIndent(), QTextOption::LeftTab)});
    }
    cursor.setBlockFormat(format);
}
