#include "ui/device_text.h"

#include "protocol/device_text_rule.h"

QString DecodeDeviceText(const std::string& bytes, UiLanguage language) {
    return QString::fromStdString(DeviceTextToUtf8(bytes, language));
}

std::string EncodeDeviceText(const QString& text, UiLanguage language) {
    return DeviceTextFromUtf8(text.toStdString(), language);
}

bool ShowsDeviceText(const QString& shown, const std::string& bytes, UiLanguage language) {
    if (DeviceTextEncodingOf(bytes, language) == DeviceTextEncoding::Ascii) {
        return shown == QLatin1StringView(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    return shown == DecodeDeviceText(bytes, language);
}
