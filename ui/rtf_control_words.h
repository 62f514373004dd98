#pragma once

#include <string_view>

// What a control word does in this reader. Words that are not listed are ignored.
enum class RtfAction {
    // Destinations: the group they open holds no text, or text of its own kind.
    SkipGroup,
    FontTable,
    ColorTable,
    OldStyleNumbering,  // \pn: paragraph numbering properties
    // Document properties.
    AnsiCodePage,
    CharacterSet,  // \ansi, \mac, \pc, \pca: value is the code page
    DefaultFont,
    UnicodeSkip,
    Unicode,
    // Font-table and colour-table entries.
    FontCharset,
    FontCodePage,
    FontFamily,  // value is an RtfFontFamily
    Red,
    Green,
    Blue,
    // Character properties.
    Plain,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Strike,
    Hidden,
    FontSize,
    Font,
    Color,
    Highlight,
    Position,  // value is an RtfCharState::Position
    // Paragraph properties.
    ParagraphDefaults,
    Alignment,  // value is a Qt::Alignment
    FirstIndent,
    LeftIndent,
    RightIndent,
    SpaceBefore,
    SpaceAfter,
    ListOverride,
    ListLevel,
    NumberingBullet,
    NumberingBody,
    NumberingLevel,
    // Text.
    ParagraphEnd,
    Character,  // value is the character's code point
};

struct RtfControlWord {
    RtfAction action;
    int value;
};

// The meaning of `word`, or nullptr for a word this reader ignores. Any thread.
[[nodiscard]] const RtfControlWord* FindControlWord(std::string_view word);
