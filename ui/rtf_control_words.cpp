#include "ui/rtf_control_words.h"

#include "ui/rtf_formats.h"

#include <algorithm>
#include <iterator>

namespace {

struct Entry {
    std::string_view name;
    RtfControlWord word;
};

constexpr RtfControlWord Skip{RtfAction::SkipGroup, 0};
constexpr RtfControlWord Under{RtfAction::Underline, 0};

constexpr int Family(RtfFontFamily family) {
    return static_cast<int>(family);
}

constexpr int Place(RtfCharState::Position position) {
    return static_cast<int>(position);
}

// Sorted by name, so that a lookup is a binary search.
constexpr Entry kWords[] = {
    {"aftncn", Skip},
    {"aftnsep", Skip},
    {"aftnsepc", Skip},
    {"annotation", Skip},
    {"ansi", {RtfAction::CharacterSet, 1252}},
    {"ansicpg", {RtfAction::AnsiCodePage, 0}},
    {"atnauthor", Skip},
    {"atndate", Skip},
    {"atnid", Skip},
    {"atnparent", Skip},
    {"atnref", Skip},
    {"atntime", Skip},
    {"author", Skip},
    {"b", {RtfAction::Bold, 0}},
    {"bkmkend", Skip},
    {"bkmkstart", Skip},
    {"blue", {RtfAction::Blue, 0}},
    {"bullet", {RtfAction::Character, 0x2022}},
    {"buptim", Skip},
    {"category", Skip},
    {"cb", {RtfAction::Highlight, 0}},
    {"cell", {RtfAction::Character, '\t'}},
    {"cf", {RtfAction::Color, 0}},
    {"colorschememapping", Skip},
    {"colortbl", {RtfAction::ColorTable, 0}},
    {"comment", Skip},
    {"company", Skip},
    {"cpg", {RtfAction::FontCodePage, 0}},
    {"creatim", Skip},
    {"datafield", Skip},
    {"datastore", Skip},
    {"defchp", Skip},
    {"deff", {RtfAction::DefaultFont, 0}},
    {"defpap", Skip},
    {"do", Skip},
    {"doccomm", Skip},
    {"docvar", Skip},
    {"dptxbxtext", Skip},
    {"emdash", {RtfAction::Character, 0x2014}},
    {"emspace", {RtfAction::Character, 0x2003}},
    {"endash", {RtfAction::Character, 0x2013}},
    {"enspace", {RtfAction::Character, 0x2002}},
    {"f", {RtfAction::Font, 0}},
    {"falt", Skip},
    {"fbidi", {RtfAction::FontFamily, Family(RtfFontFamily::Unknown)}},
    {"fcharset", {RtfAction::FontCharset, 0}},
    {"fdecor", {RtfAction::FontFamily, Family(RtfFontFamily::Decorative)}},
    {"fi", {RtfAction::FirstIndent, 0}},
    {"filetbl", Skip},
    {"fldinst", Skip},
    {"fmodern", {RtfAction::FontFamily, Family(RtfFontFamily::Modern)}},
    {"fnil", {RtfAction::FontFamily, Family(RtfFontFamily::Unknown)}},
    {"fonttbl", {RtfAction::FontTable, 0}},
    {"footer", Skip},
    {"footerf", Skip},
    {"footerl", Skip},
    {"footerr", Skip},
    {"footnote", Skip},
    {"froman", {RtfAction::FontFamily, Family(RtfFontFamily::Roman)}},
    {"fs", {RtfAction::FontSize, 0}},
    {"fscript", {RtfAction::FontFamily, Family(RtfFontFamily::Script)}},
    {"fswiss", {RtfAction::FontFamily, Family(RtfFontFamily::Swiss)}},
    {"ftech", {RtfAction::FontFamily, Family(RtfFontFamily::Technical)}},
    {"ftncn", Skip},
    {"ftnsep", Skip},
    {"ftnsepc", Skip},
    {"generator", Skip},
    {"green", {RtfAction::Green, 0}},
    {"header", Skip},
    {"headerf", Skip},
    {"headerl", Skip},
    {"headerr", Skip},
    {"highlight", {RtfAction::Highlight, 0}},
    {"hlinkbase", Skip},
    {"i", {RtfAction::Italic, 0}},
    {"ilvl", {RtfAction::ListLevel, 0}},
    {"info", Skip},
    {"keywords", Skip},
    {"latentstyles", Skip},
    {"ldblquote", {RtfAction::Character, 0x201C}},
    {"li", {RtfAction::LeftIndent, 0}},
    {"line", {RtfAction::Character, 0x2028}},
    {"listoverridetable", Skip},
    {"listpicture", Skip},
    {"listtable", Skip},
    {"listtext", Skip},
    {"lquote", {RtfAction::Character, 0x2018}},
    {"ls", {RtfAction::ListOverride, 0}},
    {"mac", {RtfAction::CharacterSet, 10000}},
    {"manager", Skip},
    {"mmathPr", Skip},
    {"nonshppict", Skip},
    {"nosupersub", {RtfAction::Position, Place(RtfCharState::Position::Normal)}},
    {"objdata", Skip},
    {"object", Skip},
    {"operator", Skip},
    {"page", {RtfAction::ParagraphEnd, 0}},
    {"panose", Skip},
    {"par", {RtfAction::ParagraphEnd, 0}},
    {"pard", {RtfAction::ParagraphDefaults, 0}},
    {"pc", {RtfAction::CharacterSet, 437}},
    {"pca", {RtfAction::CharacterSet, 850}},
    {"pgdsctbl", Skip},
    {"pict", Skip},
    {"plain", {RtfAction::Plain, 0}},
    {"pn", {RtfAction::OldStyleNumbering, 0}},
    {"pnlvl", {RtfAction::NumberingLevel, 0}},
    {"pnlvlblt", {RtfAction::NumberingBullet, 0}},
    {"pnlvlbody", {RtfAction::NumberingBody, 0}},
    {"pnseclvl", Skip},
    {"pntext", Skip},
    {"pntxta", Skip},
    {"pntxtb", Skip},
    {"printim", Skip},
    {"private", Skip},
    {"qc", {RtfAction::Alignment, Qt::AlignHCenter}},
    {"qd", {RtfAction::Alignment, Qt::AlignJustify}},
    {"qj", {RtfAction::Alignment, Qt::AlignJustify}},
    {"ql", {RtfAction::Alignment, Qt::AlignLeft}},
    {"qr", {RtfAction::Alignment, Qt::AlignRight}},
    {"rdblquote", {RtfAction::Character, 0x201D}},
    {"red", {RtfAction::Red, 0}},
    {"revtbl", Skip},
    {"revtim", Skip},
    {"ri", {RtfAction::RightIndent, 0}},
    {"row", {RtfAction::ParagraphEnd, 0}},
    {"rquote", {RtfAction::Character, 0x2019}},
    {"rsidtbl", Skip},
    {"sa", {RtfAction::SpaceAfter, 0}},
    {"sb", {RtfAction::SpaceBefore, 0}},
    {"sect", {RtfAction::ParagraphEnd, 0}},
    {"shpinst", Skip},
    {"sn", Skip},
    {"sp", Skip},
    {"strike", {RtfAction::Strike, 0}},
    {"stylesheet", Skip},
    {"sub", {RtfAction::Position, Place(RtfCharState::Position::Sub)}},
    {"subject", Skip},
    {"super", {RtfAction::Position, Place(RtfCharState::Position::Super)}},
    {"sv", Skip},
    {"tab", {RtfAction::Character, '\t'}},
    {"tc", Skip},
    {"template", Skip},
    {"themedata", Skip},
    {"title", Skip},
    {"txe", Skip},
    {"u", {RtfAction::Unicode, 0}},
    {"uc", {RtfAction::UnicodeSkip, 0}},
    {"ul", Under},
    {"uld", Under},
    {"uldash", Under},
    {"uldashd", Under},
    {"uldashdd", Under},
    {"uldb", Under},
    {"ulhwave", Under},
    {"ulldash", Under},
    {"ulnone", {RtfAction::UnderlineNone, 0}},
    {"ulth", Under},
    {"ulthd", Under},
    {"ulthdash", Under},
    {"ulthdashd", Under},
    {"ulthdashdd", Under},
    {"ulthldash", Under},
    {"ululdbwave", Under},
    {"ulw", Under},
    {"ulwave", Under},
    {"userprops", Skip},
    {"v", {RtfAction::Hidden, 0}},
    {"wgrffmtfilter", Skip},
    {"xe", Skip},
    {"xmlnstbl", Skip},
    {"zwj", {RtfAction::Character, 0x200D}},
    {"zwnj", {RtfAction::Character, 0x200C}},
};

constexpr bool IsSorted() {
    for (std::size_t i = 1; i < std::size(kWords); ++i) {
        if (!(kWords[i - 1].name < kWords[i].name)) {
            return false;
        }
    }
    return true;
}
static_assert(IsSorted(), "control words must stay sorted for the binary search");

}  // namespace

const RtfControlWord* FindControlWord(std::string_view word) {
    const auto found = std::lower_bound(
        std::begin(kWords), std::end(kWords), word,
        [](const Entry& entry, std::string_view name) { return entry.name < name; });
    if (found == std::end(kWords) || found->name != word) {
        return nullptr;
    }
    return &found->word;
}
