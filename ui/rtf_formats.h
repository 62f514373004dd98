#pragma once

#include "ui/rtf_tables.h"

#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextListFormat>

// Character properties in effect, as the control words left them (sizes in half-points).
struct RtfCharState {
    enum class Position { Normal, Super, Sub };

    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    int font = -1;  // -1: the document's default font
    int halfPoints = 24;
    int color = 0;
    int highlight = 0;
    Position position = Position::Normal;

    bool operator==(const RtfCharState& other) const;
    bool operator!=(const RtfCharState& other) const { return !(*this == other); }
};

// Paragraph properties in effect (lengths in twips). A paragraph is a list item when `listId` is
// not 0: a list override number (\lsN) or kOldStyleList for paragraph numbering (\pn).
struct RtfParaState {
    static constexpr int kOldStyleList = -1;

    Qt::Alignment alignment = Qt::AlignLeft;
    int firstIndent = 0;
    int leftIndent = 0;
    int rightIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    int listId = 0;
    int listLevel = 0;
    QTextListFormat::Style listStyle = QTextListFormat::ListDisc;
};

// The functions below are pure: any thread may call them. Lengths and sizes are clamped to what
// a page can show, so that absurd values cannot upset the layout.
[[nodiscard]] int ClampTwips(int twips);
[[nodiscard]] int ClampHalfPoints(int halfPoints);

// The Qt character format of `state`, with its font looked up in `fonts` (`defaultFont` for -1)
// and its colours in `colors`.
[[nodiscard]] QTextCharFormat MakeCharFormat(const RtfCharState& state, const RtfFontTable& fonts,
                                             const RtfColorTable& colors, int defaultFont);

// The Qt block format of `state`; list items leave `indentWidth` pixels per list level to the
// list's own indent.
[[nodiscard]] QTextBlockFormat MakeBlockFormat(const RtfParaState& state, qreal indentWidth);
