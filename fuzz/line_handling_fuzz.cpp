// libFuzzer target: received bytes of any shape through line assembly and the reading of
// settings replies into the window's fields. Besides crashes, hangs and sanitizer reports it
// catches lines that depend on how the bytes were cut into reads, lines that break the
// assembler's bounds, and a reply that selects an item its list does not hold.
//   line_handling_fuzz fuzz/corpus/lines
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "protocol/line_assembler.h"
#include "protocol/setting_choices.h"
#include "protocol/settings_record.h"

namespace {

// The window's settings controls as plain values, with the window's list items.
class FieldValues : public DeviceFields {
public:
    uint32_t GetAddress(AddressField field) const override { return addresses[int(field)]; }
    void SetAddress(AddressField field, uint32_t value) override { addresses[int(field)] = value; }
    int GetSelection(SettingCombo combo) const override { return selections[int(combo)]; }
    void SetSelection(SettingCombo combo, int index) override {
        if (index < 0 || index >= ItemCount(combo)) {
            std::abort();  // a list cannot select what it does not hold
        }
        selections[int(combo)] = index;
    }
    int ItemCount(SettingCombo combo) const override { return ChoicesOf(combo).count; }
    std::string ItemText(SettingCombo combo, int index) const override {
        return ChoicesOf(combo).items[index];
    }
    TextFields& Texts() override { return texts; }

private:
    uint32_t addresses[2] = {};
    int selections[5] = {-1, -1, -1, -1, -1};
    TextFields texts;
};

// The lines `bytes` complete when they arrive in reads of `readSize` bytes.
std::vector<std::string> Assemble(const char* bytes, size_t size, size_t readSize) {
    std::vector<std::string> lines;
    LineAssembler assembler;
    const auto keep = [&lines](const char* line) {
        const size_t length = std::strlen(line);
        if (length >= LINE_BUFFER_SIZE || std::strpbrk(line, "\r\n") != nullptr) {
            std::abort();  // a line is at most the buffer less its NUL, without CR or LF
        }
        lines.emplace_back(line, length);
    };
    for (size_t offset = 0; offset < size; offset += readSize) {
        const size_t count = size - offset < readSize ? size - offset : readSize;
        assembler.Feed(bytes + offset, static_cast<int>(count), keep);
    }
    return lines;
}

}  // namespace

// The first two bytes choose two read sizes; the rest is what arrives on the line.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const char* bytes = reinterpret_cast<const char*>(data + 2);
    const std::vector<std::string> lines =
        Assemble(bytes, size - 2, data[0] % LINE_BUFFER_SIZE + 1);
    if (Assemble(bytes, size - 2, data[1] % LINE_BUFFER_SIZE + 1) != lines) {
        std::abort();  // the lines must not depend on how the bytes were cut into reads
    }
    FieldValues fields;
    for (const std::string& line : lines) {
        ApplySettingReply(line.c_str(), fields);
    }
    return 0;
}
