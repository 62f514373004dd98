#include "fake_host.h"

#include "protocol/protocol_constants.h"
#include "protocol/script_operations.h"
#include "sim/device_model.h"

namespace {

const std::map<SettingCombo, std::vector<std::string>>& ComboItems() {
    static const std::map<SettingCombo, std::vector<std::string>> items = {
        {SettingCombo::BaudRate,
         {"600", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"}},
        {SettingCombo::Parity, {"NONE", "EVEN", "ODD"}},
        {SettingCombo::DataBits, {"7", "8"}},
        {SettingCombo::StopBits, {"1", "2"}},
        {SettingCombo::FlowControl, {"NONE", "RTS/CTS"}},
    };
    return items;
}

constexpr size_t kMaxIdLength = 8;

}  // namespace

FakeHost::FakeHost(UiLanguage language)
    : echoCaption(::LoadString(IDS_ECHO_OFF, language)),
      language(language),
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
        const Event event = due.begin()->second;
        due.erase(due.begin());
        event.timerId < 0 ? Receive(event.bytes) : operations->OnTimer(event.timerId);
    }
    now = until;
}

// Lines are joined by the receive worker's own assembler.
void FakeHost::Receive(const std::string& bytes) {
    assembler.Feed(bytes.data(), static_cast<int>(bytes.size()),
                   [this](const char* line) { operations->HandleLine(line); });
}

std::vector<std::string> FakeHost::SentLines() const {
    std::vector<std::string> lines;
    for (const Write& write : writes) {
        std::string text = write.bytes;
        if (!text.empty() && text.back() == '\r') {
            text.pop_back();
        }
        lines.push_back(text);
    }
    return lines;
}

int FakeHost::WritePort(const char* data, int length) {
    const std::string bytes(data, static_cast<size_t>(length));
    writes.push_back({now, bytes});
    const std::string answer = device->Receive(bytes);
    if (!answer.empty()) {
        due[{now + replyDelay, nextOrder++}] = {-1, answer};
    }
    return length;
}

// Arming again replaces the timer, as SetTimer does in the window.
void FakeHost::SetTimer(int id, int milliseconds) {
    KillTimer(id);
    due[{now + milliseconds, nextOrder++}] = {id, ""};
}

void FakeHost::KillTimer(int id) {
    for (auto it = due.begin(); it != due.end(); ++it) {
        if (it->second.timerId == id) {
            due.erase(it);
            return;
        }
    }
}

// Like the dialog's log: an empty text adds no row; a row shows the fields in the controls.
int FakeHost::AddLogLine(int direction, const char* text) {
    if (text == nullptr || *text == '\0') {
        return 0;
    }
    log.push_back({direction, text});
    controls = texts;
    return 1;
}

// The dialog's exchange from the controls stops at an ID that is too long.
bool FakeHost::ExchangeFromControls() {
    texts.hostPortText = controls.hostPortText;
    texts.commandText = controls.commandText;
    texts.autoScroll = controls.autoScroll;
    if (controls.deviceIdText.size() > kMaxIdLength) {
        return false;
    }
    texts.deviceIdText = controls.deviceIdText;
    texts.intervalText = controls.intervalText;
    texts.timeoutText = controls.timeoutText;
    return true;
}

void FakeHost::SetSelection(SettingCombo combo, int index) {
    selections[combo] = index >= 0 && index < ItemCount(combo) ? index : -1;
}

int FakeHost::ItemCount(SettingCombo combo) const {
    return static_cast<int>(ComboItems().at(combo).size());
}

std::string FakeHost::ItemText(SettingCombo combo, int index) const {
    const std::vector<std::string>& items = ComboItems().at(combo);
    return index >= 0 && index < static_cast<int>(items.size()) ? items[index] : std::string();
}
