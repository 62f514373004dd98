#pragma once

#include "protocol/device_fields.h"

// The items of the five settings lists, in the order the window shows them. A listing selects
// among these by text, so the window and the command line must offer the same ones.
struct SettingChoices {
    const char* const* items;
    int count;
};

SettingChoices ChoicesOf(SettingCombo combo);
