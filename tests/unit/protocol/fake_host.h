#pragma once

#include <map>
#include <string>
#include <vector>

#include "protocol/line_assembler.h"
#include "protocol/script_operations.h"
#include "protocol/setting_choices.h"
#include "protocol/settings_record.h"
#include "resources/string_table.h"
#include "sim/device_model.h"

// The main window as the script operations see it, on a clock that only the test moves: the
// settings fields with their start values, message boxes closed at once, and a port whose
// bytes go to an in-process device model. Answers come back through the line assembler.
class FakeHost : public OperationHost, public DeviceFields {
public:
    FakeHost(const std::vector<std::string>& stored, DeviceFaults faults)
        : device(stored, faults) {}
    // Moves the clock to `until`, firing timers and delivering answers in time order.
    void AdvanceTo(long long until) {
        while (!due.empty() && due.begin()->first <= until) {
            now = due.begin()->first;
            const auto [timerId, bytes] = due.begin()->second;
            due.erase(due.begin());
            timerId >= 0 ? ops.OnTimer(timerId) : Receive(bytes);
        }
        now = until;
    }
    void Receive(const std::string& bytes) {
        assembler.Feed(bytes.data(), int(bytes.size()),
                       [this](const char* l) { ops.HandleLine(l); });
    }
    // The eleven fields in the order Write Script stores them, joined by '|'.
    std::string FieldsLine() {
        std::string out = FormatDotted(addresses[0]) + "|" + texts.hostPortText + "|" +
                          FormatDotted(addresses[1]) + "|" + texts.intervalText + "|" +
                          texts.timeoutText + "|" + texts.deviceIdText;
        for (int combo = 0; combo < 5; ++combo) {
            out += "|" + ItemText(SettingCombo(combo), selections[combo]);
        }
        return out;
    }

    DeviceModel device;
    ScriptOperations ops{*this};
    long long replyDelay = 0;  // answers arrive this long after the write that caused them
    bool portOpen = true, lineDown = false;  // lineDown: answers are lost, the device still acts
    TextFields controls = {"1470", "", 1, "", "", ""};  // the edits as typed
    std::string echoCaption = "Echo Off";
    // "<ms> <line without CR>"; "E text" or "I text" by the icon; log rows since the last clear.
    std::vector<std::string> sent, messages, log;
    std::vector<std::vector<std::string>> backups;  // what KeepBackup was given
    std::string backupRefusal;                      // non-empty: KeepBackup fails with it
    bool PortIsOpen() const override { return portOpen; }
    int WritePort(const char* data, int length) override {
        const std::string bytes(data, size_t(length));
        sent.push_back(std::to_string(now) + " " + bytes.substr(0, bytes.find('\r')));
        const std::string answer = device.Receive(bytes);
        if (!answer.empty() && !lineDown) {
            due.insert({now + replyDelay, {-1, answer}});
        }
        return length;
    }
    void SetTimer(int id, int ms) override { KillTimer(id), due.insert({now + ms, {id, ""}}); }
    void KillTimer(int id) override {
        for (auto it = due.begin(); it != due.end();) {
            it = it->second.first == id ? due.erase(it) : std::next(it);
        }
    }
    // Like the window, a logged line puts the fields back into the controls.
    int AddLogLine(int, const char* text) override {
        return controls = texts, log.push_back(text), 1;
    }
    void ClearLog() override { log.clear(); }
    // Like the window's exchange: an ID of more than 8 characters stops it after the port.
    bool ExchangeFromControls() override {
        texts.hostPortText = controls.hostPortText, texts.commandText = controls.commandText;
        const bool idFits = controls.deviceIdText.size() <= 8;
        texts = idFits ? controls : texts;
        return idFits;
    }
    DeviceFields& Fields() override { return *this; }
    void ShowMessage(const std::string& text, MessageIcon icon) override {
        messages.push_back((icon == MessageIcon::Error ? "E " : "I ") + text);
    }
    std::string LoadString(int id) const override { return ::LoadString(id, UiLanguage::English); }
    std::string EchoCaption() const override { return echoCaption; }
    void SetEchoCaption(const std::string& caption) override { echoCaption = caption; }
    bool KeepBackup(const std::vector<std::string>& lines, std::string& why) override {
        return backups.push_back(lines), why = backupRefusal, backupRefusal.empty();
    }

    uint32_t GetAddress(AddressField field) const override { return addresses[int(field)]; }
    void SetAddress(AddressField field, uint32_t value) override { addresses[int(field)] = value; }
    int GetSelection(SettingCombo combo) const override { return selections[int(combo)]; }
    void SetSelection(SettingCombo combo, int index) override { selections[int(combo)] = index; }
    int ItemCount(SettingCombo combo) const override { return ChoicesOf(combo).count; }
    std::string ItemText(SettingCombo combo, int index) const override {
        return index >= 0 && index < ItemCount(combo) ? ChoicesOf(combo).items[index] : "";
    }
    TextFields& Texts() override { return texts; }

private:
    long long now = 0;
    std::multimap<long long, std::pair<int, std::string>> due;  // timer id, or -1 and bytes
    LineAssembler assembler;
    TextFields texts = controls;
    uint32_t addresses[2] = {0x0A010001, 0};
    int selections[5] = {8, 0, 1, 0, 0};  // 115200, NONE, 8, 1, NONE
};
