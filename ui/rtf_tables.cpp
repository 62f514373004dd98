#include "ui/rtf_tables.h"

#include "ui/rtf_code_page.h"

#include <algorithm>

void RtfFontTable::Begin(int fontNumber) {
    Commit();
    open = true;
    number = fontNumber;
    charset = -1;
    codePage = 0;
    family = RtfFontFamily::Unknown;
    nameBytes.clear();
}

void RtfFontTable::SetCharset(int value) {
    charset = value;
}

void RtfFontTable::SetCodePage(int value) {
    codePage = value;
}

void RtfFontTable::SetFamily(RtfFontFamily value) {
    family = value;
}

void RtfFontTable::AddNameByte(unsigned char byte) {
    if (open && nameBytes.size() < kMaxNameBytes) {
        nameBytes += static_cast<char>(byte);
    }
}

void RtfFontTable::Commit() {
    if (!open) {
        return;
    }
    open = false;
    if (fonts.size() >= kMaxFonts && fonts.count(number) == 0) {
        return;
    }
    RtfFont font;
    font.codePage = codePage > 0 ? codePage : CodePageForCharset(charset, documentCodePage);
    font.family = family;
    RtfCodePageDecoder decoder;
    decoder.SetCodePage(font.codePage, font.name);
    for (char byte : nameBytes) {
        decoder.Push(static_cast<unsigned char>(byte), font.name);
    }
    decoder.Flush(font.name);
    font.name = font.name.trimmed();
    fonts[number] = font;
}

const RtfFont* RtfFontTable::Find(int fontNumber) const {
    const auto found = fonts.find(fontNumber);
    return found == fonts.end() ? nullptr : &found->second;
}

int RtfFontTable::CodePageOf(int fontNumber) const {
    const RtfFont* font = Find(fontNumber);
    return font != nullptr ? font->codePage : documentCodePage;
}

void RtfColorTable::SetComponent(int& component, int value) {
    component = std::clamp(value, 0, 255);
    hasComponent = true;
}

void RtfColorTable::Commit() {
    if (colors.size() < kMaxColors) {
        colors.push_back(hasComponent ? QColor(red, green, blue) : QColor());
    }
    red = green = blue = 0;
    hasComponent = false;
}

QColor RtfColorTable::Color(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= colors.size()) {
        return QColor();
    }
    return colors[static_cast<std::size_t>(index)];
}
