#include "ui/rtf_formats.h"

#include <QFont>

#include <algorithm>

namespace {

// Twips per pixel on a 96-dpi screen (1440 twips to the inch).
constexpr qreal kTwipsPerPixel = 15.0;
constexpr int kMaxTwips = 31680;  // 22 inches
constexpr int kMaxHalfPoints = 3276;

qreal Pixels(int twips) {
    return twips / kTwipsPerPixel;
}

QString GenericFamily(RtfFontFamily family) {
    switch (family) {
        case RtfFontFamily::Roman:
            return QStringLiteral("serif");
        case RtfFontFamily::Modern:
            return QStringLiteral("monospace");
        case RtfFontFamily::Swiss:
        case RtfFontFamily::Technical:
            return QStringLiteral("sans-serif");
        default:
            return QString();
    }
}

QFont::StyleHint StyleHint(RtfFontFamily family) {
    switch (family) {
        case RtfFontFamily::Roman:
            return QFont::Serif;
        case RtfFontFamily::Swiss:
            return QFont::SansSerif;
        case RtfFontFamily::Modern:
            return QFont::TypeWriter;
        case RtfFontFamily::Script:
            return QFont::Cursive;
        case RtfFontFamily::Decorative:
            return QFont::Decorative;
        default:
            return QFont::AnyStyle;
    }
}

// The named font first, then the generic family, so that a machine without the document's fonts
// still shows serif text as serif and picks glyphs for the text's script.
void ApplyFont(QTextCharFormat& format, const RtfFont* font) {
    if (font == nullptr) {
        return;
    }
    QStringList families;
    if (!font->name.isEmpty()) {
        families << font->name;
    }
    const QString generic = GenericFamily(font->family);
    if (!generic.isEmpty()) {
        families << generic;
    }
    if (!families.isEmpty()) {
        format.setFontFamilies(families);
    }
    format.setFontStyleHint(StyleHint(font->family));
}

QTextCharFormat::VerticalAlignment Vertical(RtfCharState::Position position) {
    switch (position) {
        case RtfCharState::Position::Super:
            return QTextCharFormat::AlignSuperScript;
        case RtfCharState::Position::Sub:
            return QTextCharFormat::AlignSubScript;
        default:
            return QTextCharFormat::AlignNormal;
    }
}

}  // namespace

bool RtfCharState::operator==(const RtfCharState& other) const {
    return bold == other.bold && italic == other.italic && underline == other.underline &&
           strike == other.strike && hidden == other.hidden && font == other.font &&
           halfPoints == other.halfPoints && color == other.color && highlight == other.highlight &&
           position == other.position;
}

int ClampTwips(int twips) {
    return std::clamp(twips, -kMaxTwips, kMaxTwips);
}

int ClampHalfPoints(int halfPoints) {
    return std::clamp(halfPoints, 2, kMaxHalfPoints);
}

QTextCharFormat MakeCharFormat(const RtfCharState& state, const RtfFontTable& fonts,
                               const RtfColorTable& colors, int defaultFont) {
    QTextCharFormat format;
    ApplyFont(format, fonts.Find(state.font >= 0 ? state.font : defaultFont));
    format.setFontPointSize(state.halfPoints / 2.0);
    format.setFontWeight(state.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(state.italic);
    format.setFontUnderline(state.underline);
    format.setFontStrikeOut(state.strike);
    format.setVerticalAlignment(Vertical(state.position));
    const QColor foreground = colors.Color(state.color);
    if (foreground.isValid()) {
        format.setForeground(foreground);
    }
    const QColor background = colors.Color(state.highlight);
    if (background.isValid()) {
        format.setBackground(background);
    }
    return format;
}

QTextBlockFormat MakeBlockFormat(const RtfParaState& state, qreal indentWidth) {
    QTextBlockFormat format;
    format.setAlignment(state.alignment);
    const qreal left = std::max<qreal>(0, Pixels(state.leftIndent));
    if (state.listId != 0) {
        format.setLeftMargin(std::max<qreal>(0, left - indentWidth * (state.listLevel + 1)));
    } else {
        format.setLeftMargin(left);
        format.setTextIndent(std::max(-left, Pixels(state.firstIndent)));
    }
    format.setRightMargin(std::max<qreal>(0, Pixels(state.rightIndent)));
    format.setTopMargin(std::max<qreal>(0, Pixels(state.spaceBefore)));
    format.setBottomMargin(std::max<qreal>(0, Pixels(state.spaceAfter)));
    return format;
}
