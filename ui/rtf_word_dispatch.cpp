// What each control word does to the interpreter: destinations, document, table, character and
// paragraph properties, and the words that stand for text.
#include "ui/rtf_interpreter.h"

#include <algorithm>

namespace {

constexpr int kMaxFallbackBytes = 16;
constexpr int kMaxListLevel = 8;

// A toggle such as \b is on without a parameter and off with 0.
bool Flag(bool hasParam, int param) {
    return !hasParam || param != 0;
}

}  // namespace

void RtfInterpreter::Dispatch(const RtfControlWord& word, bool hasParam, int param) {
    const RtfAction action = word.action;
    if (DispatchDestination(action) || DispatchDocument(action, word.value, hasParam, param) ||
        DispatchTable(action, word.value, hasParam, param) ||
        DispatchCharacter(action, word.value, hasParam, param) ||
        DispatchParagraph(action, word.value, hasParam, param)) {
        return;
    }
    DispatchText(action, word.value);
}

bool RtfInterpreter::DispatchDestination(RtfAction action) {
    Group& group = groups.back();
    switch (action) {
        case RtfAction::SkipGroup:
            group.destination = Destination::Skip;
            return true;
        case RtfAction::FontTable:
            group.destination = Destination::FontTable;
            return true;
        case RtfAction::ColorTable:
            group.destination = Destination::ColorTable;
            return true;
        case RtfAction::OldStyleNumbering:
            group.destination = Destination::Numbering;
            group.paragraph.listId = RtfParaState::kOldStyleList;
            return true;
        default:
            return false;
    }
}

bool RtfInterpreter::DispatchDocument(RtfAction action, int value, bool hasParam, int param) {
    switch (action) {
        case RtfAction::AnsiCodePage:
            if (hasParam && param > 0) {
                fonts.SetDocumentCodePage(param);
            }
            return true;
        case RtfAction::CharacterSet:
            fonts.SetDocumentCodePage(value);
            return true;
        case RtfAction::DefaultFont:
            defaultFont = hasParam ? param : 0;
            writerStateValid = false;
            return true;
        case RtfAction::UnicodeSkip:
            groups.back().fallbackBytes = hasParam ? std::clamp(param, 0, kMaxFallbackBytes) : 1;
            return true;
        case RtfAction::Unicode:
            if (hasParam) {
                EmitUnicode(param);
            }
            return true;
        default:
            return false;
    }
}

// Font-table and colour-table words outside their tables are ignored, except \f, which
// selects a font in running text.
bool RtfInterpreter::DispatchTable(RtfAction action, int value, bool hasParam, int param) {
    const Destination destination = groups.back().destination;
    const bool inFonts = destination == Destination::FontTable;
    const bool inColors = destination == Destination::ColorTable;
    const int number = hasParam ? param : 0;
    if (action == RtfAction::Font) {
        if (inFonts) {
            fonts.Begin(number);
        }
        return inFonts;
    }
    switch (action) {
        case RtfAction::FontCharset:
            if (inFonts) {
                fonts.SetCharset(number);
            }
            return true;
        case RtfAction::FontCodePage:
            if (inFonts) {
                fonts.SetCodePage(number);
            }
            return true;
        case RtfAction::FontFamily:
            if (inFonts) {
                fonts.SetFamily(static_cast<RtfFontFamily>(value));
            }
            return true;
        case RtfAction::Red:
        case RtfAction::Green:
        case RtfAction::Blue:
            if (inColors) {
                SetColorComponent(action, number);
            }
            return true;
        default:
            return false;
    }
}

void RtfInterpreter::SetColorComponent(RtfAction action, int value) {
    if (action == RtfAction::Red) {
        colors.SetRed(value);
    } else if (action == RtfAction::Green) {
        colors.SetGreen(value);
    } else {
        colors.SetBlue(value);
    }
}

bool RtfInterpreter::DispatchCharacter(RtfAction action, int value, bool hasParam, int param) {
    RtfCharState& character = groups.back().character;
    switch (action) {
        case RtfAction::Plain:
            character = RtfCharState();
            return true;
        case RtfAction::Bold:
            character.bold = Flag(hasParam, param);
            return true;
        case RtfAction::Italic:
            character.italic = Flag(hasParam, param);
            return true;
        case RtfAction::Underline:
            character.underline = Flag(hasParam, param);
            return true;
        case RtfAction::UnderlineNone:
            character.underline = false;
            return true;
        case RtfAction::Strike:
            character.strike = Flag(hasParam, param);
            return true;
        case RtfAction::Hidden:
            character.hidden = Flag(hasParam, param);
            return true;
        case RtfAction::FontSize:
            character.halfPoints = hasParam && param > 0 ? ClampHalfPoints(param) : 24;
            return true;
        case RtfAction::Font:
            character.font = hasParam ? param : -1;
            return true;
        case RtfAction::Color:
            character.color = hasParam ? param : 0;
            return true;
        case RtfAction::Highlight:
            character.highlight = hasParam ? param : 0;
            return true;
        case RtfAction::Position:
            character.position = static_cast<RtfCharState::Position>(value);
            return true;
        default:
            return false;
    }
}

bool RtfInterpreter::DispatchParagraph(RtfAction action, int value, bool hasParam, int param) {
    RtfParaState& paragraph = groups.back().paragraph;
    const int twips = ClampTwips(hasParam ? param : 0);
    switch (action) {
        case RtfAction::ParagraphDefaults:
            paragraph = RtfParaState();
            return true;
        case RtfAction::Alignment:
            paragraph.alignment = Qt::Alignment(value);
            return true;
        case RtfAction::FirstIndent:
            paragraph.firstIndent = twips;
            return true;
        case RtfAction::LeftIndent:
            paragraph.leftIndent = twips;
            return true;
        case RtfAction::RightIndent:
            paragraph.rightIndent = twips;
            return true;
        case RtfAction::SpaceBefore:
            paragraph.spaceBefore = twips;
            return true;
        case RtfAction::SpaceAfter:
            paragraph.spaceAfter = twips;
            return true;
        case RtfAction::ListOverride:
            paragraph.listId = hasParam && param > 0 ? param : 0;
            paragraph.listStyle = QTextListFormat::ListDisc;
            return true;
        case RtfAction::ListLevel:
            paragraph.listLevel = std::clamp(hasParam ? param : 0, 0, kMaxListLevel);
            return true;
        case RtfAction::NumberingBullet:
        case RtfAction::NumberingBody:
            paragraph.listId = RtfParaState::kOldStyleList;
            paragraph.listStyle = action == RtfAction::NumberingBullet
                                      ? QTextListFormat::ListDisc
                                      : QTextListFormat::ListDecimal;
            return true;
        case RtfAction::NumberingLevel:
            paragraph.listId = RtfParaState::kOldStyleList;
            paragraph.listLevel = std::clamp((hasParam ? param : 1) - 1, 0, kMaxListLevel);
            return true;
        default:
            return false;
    }
}

void RtfInterpreter::DispatchText(RtfAction action, int value) {
    if (groups.back().destination != Destination::Text) {
        return;
    }
    if (action == RtfAction::ParagraphEnd) {
        EndParagraph();
    } else if (action == RtfAction::Character) {
        EmitCodePoint(value);
    }
}
