#include "fake_host.h"

#include "protocol/script_operations.h"
#include "protocol/setting_choices.h"
#include "protocol/settings_record.h"
#include "sim/device_model.h"

FakeHost::FakeHost()
    : echoCaption(::LoadString(IDS_ECHO_OFF, UiLanguage::English)),
      selections({{SettingCombo::BaudRate, 8},
                  {SettingCombo::Parity, 0},
                  {SettingCombo::DataBits, 1},
                  {SettingCombo::StopBits, 0},
                  {SettingCombo::FlowControl, 0}}) {
    texts.hostPortText = "1470";
    controls = texts;
}

void FakeHost::Advance(long long ms) {
    const long long until = now + ms;
    while (!due.empty() && due.begin()->first.first <= until) {
        now = due.begin()->first.first;
        const auto [timerId, bytes] = due.begin()->second;
        due.erase(due.begin());
        if (timerId >= 0) {
            operations->OnTimer(timerId);
        } else {
            assembler.Feed(bytes.data(), int(bytes.size()),
                           [this](const char* line) { operations->HandleLine(line); });
        }
    }
    now = until;
}

int FakeHost::WritePort(const char* data, int length) {
    const std::string bytes(data, size_t(length));
    sent.push_back(std::to_string(now) + " " + bytes.substr(0, bytes.find('\r')));
    const std::string answer = device->Receive(bytes);
    if (!answer.empty() && !lineDown) {
        due[{now + replyDelay, order++}] = {-1, answer};
    }
    return length;
}

void FakeHost::SetTimer(int id, int milliseconds) {
    KillTimer(id);
    due[{now + milliseconds, order++}] = {id, ""};
}

void FakeHost::KillTimer(int id) {
    for (auto it = due.begin(); it != due.end(); ++it) {
        if (it->second.first == id) {
            due.erase(it);
            return;
        }
    }
}

// Like the window's exchange: an ID of more than 8 characters stops it there.
bool FakeHost::ExchangeFromControls() {
    texts.hostPortText = controls.hostPortText;
    texts.commandText = controls.commandText;
    if (controls.deviceIdText.size() > 8) {
        return false;
    }
    texts.deviceIdText = controls.deviceIdText;
    texts.intervalText = controls.intervalText;
    texts.timeoutText = controls.timeoutText;
    return true;
}

int FakeHost::ItemCount(SettingCombo combo) const {
    return ChoicesOf(combo).count;
}

std::string FakeHost::ItemText(SettingCombo combo, int index) const {
    return index >= 0 && index < ItemCount(combo) ? ChoicesOf(combo).items[index] : "";
}

std::string FakeHost::FieldsLine() {
    std::string out = FormatDotted(addresses[0]) + "|" + texts.hostPortText + "|" +
                      FormatDotted(addresses[1]) + "|" + texts.intervalText + "|" +
                      texts.timeoutText + "|" + texts.deviceIdText;
    for (const auto& [combo, index] : selections) {
        out += "|" + ItemText(combo, index);
    }
    return out;
}
