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

constexpr uint32_t kStartHostAddress = 0x0A010001;  // 10.1.0.1
constexpr size_t kMaxIdLength = 8;

}  // namespace

FakeHost::FakeHost(UiLanguage language)
    : echoCaption(::LoadString(IDS_ECHO_OFF, language)),
      language(language),
      hostAddress(kStartHostAddress),
      selections({{SettingCombo::BaudRate, 8},
                  {SettingCombo::Parity, 0},
                  {SettingCombo::DataBits, 1},
                  {SettingCombo::StopBits, 0},
                  {SettingCombo::FlowControl, 0}}) {
    texts.hostPortText = "1470";
    controls = texts;
}

void FakeHost::Attach(ScriptOperations& ops, DeviceModel& model) {
    operations = &ops;
    device = &model;
}

void FakeHost::Advance(long long ms) {
    const long long until = now + ms;
    while (RunNextDue(until)) {
    }
    now = until;
}

bool FakeHost::RunNextDue(long long until) {
    auto timer = timers.begin();
    for (auto it = timers.begin(); it != timers.end(); ++it) {
        timer = it->second < timer->second ? it : timer;
    }
    const bool timerDue = timer != timers.end() && timer->second.first <= until;
    const bool deliveryDue = !deliveries.empty() && deliveries.begin()->first.first <= until;
    if (timerDue && (!deliveryDue || timer->second < deliveries.begin()->first)) {
        const int id = timer->first;
        now = timer->second.first;
        timers.erase(timer);
        operations->OnTimer(id);
        return true;
    }
    if (deliveryDue) {
        now = deliveries.begin()->first.first;
        const std::string bytes = deliveries.begin()->second;
        deliveries.erase(deliveries.begin());
        Receive(bytes);
        return true;
    }
    return false;
}

// Lines are joined as the receive worker joins them.
void FakeHost::Receive(const std::string& bytes) {
    for (char byte : bytes) {
        if (byte == '\r') {
            const std::string line = partialLine;
            partialLine.clear();
            operations->HandleLine(line.c_str());
        } else if (byte != '\n' && partialLine.size() < LINE_BUFFER_SIZE - 1) {
            partialLine.push_back(byte);
        }
    }
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
        deliveries[{now + replyDelay, nextOrder++}] = answer;
    }
    return length;
}

void FakeHost::SetTimer(int id, int milliseconds) {
    timers[id] = {now + milliseconds, nextOrder++};
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

void FakeHost::ClearLog() {
    log.clear();
    ++clearCount;
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

void FakeHost::ShowMessage(const std::string& text, MessageIcon icon) {
    messages.push_back({text, icon});
}

std::string FakeHost::LoadString(int id) const {
    return ::LoadString(id, language);
}

uint32_t FakeHost::GetAddress(AddressField field) const {
    return field == AddressField::Host ? hostAddress : secondHostAddress;
}

void FakeHost::SetAddress(AddressField field, uint32_t address) {
    (field == AddressField::Host ? hostAddress : secondHostAddress) = address;
}

int FakeHost::GetSelection(SettingCombo combo) const {
    return selections.at(combo);
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
