#pragma once

#include <string>
#include <vector>

#include "protocol/device_fields.h"
#include "protocol/setting_choices.h"
#include "resources/string_table.h"

// A script file is the device's own listing, one setting a line ("!PA 10.1.0.1", "!SO C 3000");
// blank lines and lines beginning with '#' are ignored. Values are bytes, UTF-8 or not.
struct ScriptFileFault {
    int line = 0;        // 1-based line number in the file
    std::string reason;  // in the interface language
};

// Checks every line of `text` (known code, a value that Write Script sends back unchanged, the
// lengths it refuses, a setting given twice) and, only when none is faulty, fills `fields` the
// way a listing fills them. Returns false with every fault, leaving `fields` as they were.
[[nodiscard]] bool ReadScriptFile(const std::string& text, DeviceFields& fields,
                                  std::vector<ScriptFileFault>& faults, UiLanguage language);

// A script holds eleven short lines; a larger file is not one, and is not read whole.
constexpr size_t kMaxScriptFileBytes = 64 * 1024;

// Reads the file at `path` ("-": standard input) into `bytes`. What is not a regular file is
// refused unopened (a FIFO would block the open, a terminal would raise its DTR), and again
// after the open should one have been put in its place meanwhile; so is a file larger than
// kMaxScriptFileBytes. Empty, or why not in `language`.
std::string ReadScriptBytes(const std::string& path, std::string& bytes, UiLanguage language);

// The fields as a script file: the lines that Write Script would store, in its order.
std::string FormatScriptFile(DeviceFields& fields);

// True when `line` begins with the code of one of the eleven settings, in upper or lower case.
bool NamesSetting(const std::string& line);

// The settings fields without a window: the lists of setting_choices, and the window's start
// values (host 10.1.0.1, port 1470, 115200 8N1, no flow control, the rest blank).
class ScriptFields : public DeviceFields {
public:
    ScriptFields() { texts.hostPortText = "1470"; }
    uint32_t GetAddress(AddressField f) const override { return addresses[static_cast<int>(f)]; }
    void SetAddress(AddressField f, uint32_t a) override { addresses[static_cast<int>(f)] = a; }
    int GetSelection(SettingCombo c) const override { return selections[static_cast<int>(c)]; }
    void SetSelection(SettingCombo c, int i) override { selections[static_cast<int>(c)] = i; }
    int ItemCount(SettingCombo c) const override { return ChoicesOf(c).count; }
    std::string ItemText(SettingCombo c, int i) const override { return ChoicesOf(c).items[i]; }
    TextFields& Texts() override { return texts; }

private:
    uint32_t addresses[2] = {0x0A010001, 0};
    int selections[5] = {8, 0, 1, 0, 0};
    TextFields texts;
};
