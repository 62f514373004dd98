#include "cli/plain_fields.h"

#include "protocol/setting_choices.h"

namespace {

constexpr uint32_t kStartHostAddress = 0x0A010001;  // 10.1.0.1

}  // namespace

PlainFields::PlainFields() {
    addresses[static_cast<int>(AddressField::Host)] = kStartHostAddress;
    texts.hostPortText = "1470";
    SetSelection(SettingCombo::BaudRate, ItemCount(SettingCombo::BaudRate) - 1);
    SetSelection(SettingCombo::DataBits, 1);
}

uint32_t PlainFields::GetAddress(AddressField field) const {
    return addresses[static_cast<int>(field)];
}

void PlainFields::SetAddress(AddressField field, uint32_t address) {
    addresses[static_cast<int>(field)] = address;
}

int PlainFields::GetSelection(SettingCombo combo) const {
    return selections[static_cast<int>(combo)];
}

void PlainFields::SetSelection(SettingCombo combo, int index) {
    if (index >= 0 && index < ItemCount(combo)) {
        selections[static_cast<int>(combo)] = index;
    }
}

int PlainFields::ItemCount(SettingCombo combo) const {
    return ChoicesOf(combo).count;
}

std::string PlainFields::ItemText(SettingCombo combo, int index) const {
    const SettingChoices choices = ChoicesOf(combo);
    return index >= 0 && index < choices.count ? choices.items[index] : "";
}
