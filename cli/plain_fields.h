#pragma once

#include "protocol/device_fields.h"

// The settings fields without a window: the lists of setting_choices and the window's start
// values (host 10.1.0.1, port 1470, 115200 8N1, no flow control, the rest blank).
class PlainFields : public DeviceFields {
public:
    PlainFields();

    uint32_t GetAddress(AddressField field) const override;
    void SetAddress(AddressField field, uint32_t address) override;
    int GetSelection(SettingCombo combo) const override;
    void SetSelection(SettingCombo combo, int index) override;
    int ItemCount(SettingCombo combo) const override;
    std::string ItemText(SettingCombo combo, int index) const override;
    TextFields& Texts() override { return texts; }

private:
    uint32_t addresses[2] = {};
    int selections[5] = {};
    TextFields texts;
};
