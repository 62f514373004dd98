#pragma once

#include <cstdint>
#include <string>

// The dialog's value fields of the text edits and the auto-scroll box. They reach the
// controls only through the dialog's exchangeData.
struct TextFields {
    std::string hostPortText;
    std::string commandText;
    int autoScroll = 1;
    std::string deviceIdText;
    std::string intervalText;
    std::string timeoutText;
};

enum class AddressField { Host, SecondHost };
enum class SettingCombo { BaudRate, Parity, DataBits, StopBits, FlowControl };

// The settings controls that are read and written directly (the two address fields and the
// five drop-down lists), plus the text value fields. Implemented by the main dialog and by
// test fakes. User-interface thread only.
class DeviceFields {
public:
    virtual ~DeviceFields() = default;

    // Addresses in host order, first number in the most significant byte; 0 is blank.
    virtual uint32_t GetAddress(AddressField field) const = 0;
    virtual void SetAddress(AddressField field, uint32_t address) = 0;

    virtual int GetSelection(SettingCombo combo) const = 0;  // -1 when nothing is selected
    virtual void SetSelection(SettingCombo combo, int index) = 0;
    virtual int ItemCount(SettingCombo combo) const = 0;
    virtual std::string ItemText(SettingCombo combo, int index) const = 0;

    virtual TextFields& Texts() = 0;
};
