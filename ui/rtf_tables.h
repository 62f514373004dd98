#pragma once

#include <QColor>
#include <QString>

#include <map>
#include <string>
#include <vector>

// The generic family of a font-table entry (\froman, \fswiss, ...), for choosing a substitute
// when the named font is not installed.
enum class RtfFontFamily { Unknown, Roman, Swiss, Modern, Script, Decorative, Technical };

struct RtfFont {
    QString name;
    int codePage = 0;
    RtfFontFamily family = RtfFontFamily::Unknown;
};

// The document's font table (\fonttbl), filled entry by entry as its tokens arrive. An entry is
// complete at its ';' or at the end of its group. At most kMaxFonts entries are kept. One thread
// at a time; nothing blocks.
class RtfFontTable {
public:
    static constexpr std::size_t kMaxFonts = 1024;
    static constexpr std::size_t kMaxNameBytes = 256;

    void SetDocumentCodePage(int codePage) { documentCodePage = codePage; }
    void Begin(int number);
    void SetCharset(int charset);
    void SetCodePage(int codePage);
    void SetFamily(RtfFontFamily family);
    void AddNameByte(unsigned char byte);
    void Commit();

    // The entry numbered `number`, or nullptr.
    [[nodiscard]] const RtfFont* Find(int number) const;
    // The code page in which the text of font `number` is written.
    [[nodiscard]] int CodePageOf(int number) const;

private:
    std::map<int, RtfFont> fonts;
    bool open = false;
    int number = 0;
    int charset = -1;
    int codePage = 0;
    RtfFontFamily family = RtfFontFamily::Unknown;
    std::string nameBytes;
    int documentCodePage = 1252;
};

// The document's colour table (\colortbl): entries end at ';'; an entry without components is
// the automatic colour. At most kMaxColors entries are kept. One thread at a time; nothing blocks.
class RtfColorTable {
public:
    static constexpr std::size_t kMaxColors = 1024;

    void SetRed(int value) { SetComponent(red, value); }
    void SetGreen(int value) { SetComponent(green, value); }
    void SetBlue(int value) { SetComponent(blue, value); }
    void Commit();

    // The colour of entry `index`; invalid for the automatic colour and for unknown entries.
    [[nodiscard]] QColor Color(int index) const;

private:
    void SetComponent(int& component, int value);

    std::vector<QColor> colors;
    int red = 0;
    int green = 0;
    int blue = 0;
    bool hasComponent = false;
};
