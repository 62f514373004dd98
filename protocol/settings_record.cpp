#include "protocol/settings_record.h"

#include <arpa/inet.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kCodeLength = 4;

enum class Reading { Address, Text, Interval, Item, Digit };

// One stored setting: its two reply codes and how its value reaches its field.
struct SettingReply {
    const char* upperCode;
    const char* lowerCode;
    Reading reading;
    AddressField address;
    std::string TextFields::*text;
    SettingCombo combo;
    const char* digits;  // for Digit: the fifth-byte values that select index 0, 1, ...
};

// In write order.
const SettingReply kReplies[] = {
    {"!PA ", "!pa ", Reading::Address, AddressField::Host, nullptr, {}, nullptr},
    {"!PP ", "!pp ", Reading::Text, {}, &TextFields::hostPortText, {}, nullptr},
    {"!SA ", "!sa ", Reading::Address, AddressField::SecondHost, nullptr, {}, nullptr},
    {"!SO ", "!so ", Reading::Interval, {}, &TextFields::intervalText, {}, nullptr},
    {"!TC ", "!tc ", Reading::Text, {}, &TextFields::timeoutText, {}, nullptr},
    {"!SC ", "!sc ", Reading::Text, {}, &TextFields::deviceIdText, {}, nullptr},
    {"!TB ", "!tb ", Reading::Item, {}, nullptr, SettingCombo::BaudRate, nullptr},
    {"!TP ", "!tp ", Reading::Digit, {}, nullptr, SettingCombo::Parity, "012"},
    {"!TD ", "!td ", Reading::Digit, {}, nullptr, SettingCombo::DataBits, "78"},
    {"!TS ", "!ts ", Reading::Digit, {}, nullptr, SettingCombo::StopBits, "12"},
    {"!FC ", "!fc ", Reading::Digit, {}, nullptr, SettingCombo::FlowControl, "01"},
};

// The first item of `combo` whose text equals `text` ignoring ASCII case; -1 when none does.
int FindItemIgnoringCase(const DeviceFields& fields, SettingCombo combo, const std::string& text) {
    const int count = fields.ItemCount(combo);
    for (int index = 0; index < count; ++index) {
        if (EqualIgnoringCase(fields.ItemText(combo, index), text)) {
            return index;
        }
    }
    return -1;
}

void Apply(const char* line, bool upper, const SettingReply& reply, DeviceFields& fields) {
    const char* value = line + kCodeLength;
    int index = -1;
    switch (reply.reading) {
        case Reading::Address:
            // By the inet_addr rules: text that does not parse gives 255.255.255.255.
            fields.SetAddress(reply.address, ntohl(inet_addr(value)));
            return;
        case Reading::Text:
            fields.Texts().*reply.text = value;
            return;
        case Reading::Interval:
            // A sub-field letter in the code's case and a blank, then hundredths of a second;
            // the field shows whole seconds.
            if (value[0] == (upper ? 'C' : 'c') && value[1] == ' ') {
                fields.Texts().intervalText = std::to_string(ReadDecimal(value + 2) / 100);
            }
            return;
        case Reading::Item:
            index = FindItemIgnoringCase(fields, reply.combo, value);
            if (index < 0) {  // a rate the list does not hold
                index = FindItemIgnoringCase(fields, reply.combo, "115200");
            }
            break;
        case Reading::Digit:
            if (const char* found = *value != '\0' ? std::strchr(reply.digits, *value) : nullptr) {
                index = static_cast<int>(found - reply.digits);
            }
            break;
    }
    if (index >= 0) {
        fields.SetSelection(reply.combo, index);
    }
}

}  // namespace

bool LineHasCode(const char* line, const char* code) {
    return std::strncmp(line, code, kCodeLength) == 0;
}

bool LineBeginsWith(const char* line, const char* prefix) {
    return std::strncmp(line, prefix, std::strlen(prefix)) == 0;
}

int SettingIndexOf(const char* line) {
    for (const SettingReply& reply : kReplies) {
        if (LineHasCode(line, reply.upperCode) || LineHasCode(line, reply.lowerCode)) {
            return static_cast<int>(&reply - kReplies);
        }
    }
    return -1;
}

void ApplySettingReply(const char* line, DeviceFields& fields) {
    const int setting = SettingIndexOf(line);
    if (setting >= 0) {
        const SettingReply& reply = kReplies[setting];
        Apply(line, LineHasCode(line, reply.upperCode), reply, fields);
    }
}

std::string FormatDotted(uint32_t address) {
    char dotted[16];
    std::snprintf(dotted, sizeof dotted, "%u.%u.%u.%u", (address >> 24) & 0xFFu,
                  (address >> 16) & 0xFFu, (address >> 8) & 0xFFu, address & 0xFFu);
    return dotted;
}

long long ReadDecimal(const char* text) {
    text += std::strspn(text, " \t\n\v\f\r");  // the C locale's white space, in any locale
    const bool negative = *text == '-';
    text += *text == '-' || *text == '+' ? 1 : 0;
    long long value = 0;
    // Accumulated toward the sign, so that LLONG_MIN itself is reachable.
    for (; *text >= '0' && *text <= '9'; ++text) {
        const int digit = *text - '0';
        if (negative) {
            value = value < (LLONG_MIN + digit) / 10 ? LLONG_MIN : value * 10 - digit;
        } else {
            value = value > (LLONG_MAX - digit) / 10 ? LLONG_MAX : value * 10 + digit;
        }
    }
    return value;
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return fold(x) == fold(y); });
}
