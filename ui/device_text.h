#pragma once

#include <QString>
#include <string>

#include "resources/string_table.h"

// The bytes of a device value as the operator reads and types them, by the rule of
// protocol/device_text_rule.h (code page 949, UTF-8, then Latin-1, in the interface's order).
QString DecodeDeviceText(const std::string& bytes, UiLanguage language);

// Text the operator typed, as the device gets it: code page 949 under a Korean interface,
// UTF-8 under any other. Characters that code page 949 cannot hold are sent as UTF-8 rather
// than dropped.
std::string EncodeDeviceText(const QString& text, UiLanguage language);

// True when `shown` is what `bytes` look like on screen, so that the bytes are kept as they are.
bool ShowsDeviceText(const QString& shown, const std::string& bytes, UiLanguage language);
