#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "protocol/device_fields.h"
#include "protocol/line_assembler.h"
#include "protocol/operation_host.h"
#include "resources/string_table.h"

class DeviceModel;
class ScriptOperations;

// The main window as the script operations see it, for tests: the dialog's settings fields
// with the real drop-down lists and start values, a log, message boxes that the operator
// closes at once, and a clock that only the test moves. Bytes written to the port go to an
// in-process device model; its answers come back through the line assembler and
// ScriptOperations::HandleLine when the clock reaches them.
class FakeHost : public OperationHost, public DeviceFields {
public:
    struct Write {
        long long at;       // fake milliseconds
        std::string bytes;  // as written, CR included
    };
    struct LogRow {
        int direction;
        std::string text;
    };
    struct Message {
        std::string text;
        MessageIcon icon;
    };

    explicit FakeHost(UiLanguage language = UiLanguage::English);

    // Wires the operations (timers fire into them) and the device (writes go to it).
    void Attach(ScriptOperations& ops, DeviceModel& model) {
        operations = &ops;
        device = &model;
    }

    // Clock: moves time forward by `ms`, firing due timers and delivering due answers in
    // time order (ties in the order they were armed or written).
    void Advance(long long ms);

    // Answers arrive `ms` after the write that caused them (0: once the handler returns), so
    // a test can interleave presses with answers still on their way.
    void SetReplyDelay(long long ms) { replyDelay = ms; }

    // Sent lines without their CR, in order.
    std::vector<std::string> SentLines() const;

    // What the operator sees and does.
    TextFields controls;  // the edits as typed; ExchangeFromControls takes them over
    std::string echoCaption;
    bool portOpen = true;
    std::vector<Write> writes;
    std::vector<LogRow> log;  // rows since the last ClearLog
    int clearCount = 0;
    std::vector<Message> messages;
    std::vector<std::vector<std::string>> backups;  // what KeepBackup was given, in order
    std::string backupRefusal;                      // non-empty: KeepBackup fails with it

    // OperationHost
    bool PortIsOpen() const override { return portOpen; }
    int WritePort(const char* data, int length) override;
    void SetTimer(int id, int milliseconds) override;
    void KillTimer(int id) override;
    int AddLogLine(int direction, const char* text) override;
    void ClearLog() override {
        log.clear();
        ++clearCount;
    }
    bool ExchangeFromControls() override;
    DeviceFields& Fields() override { return *this; }
    void ShowMessage(const std::string& text, MessageIcon icon) override {
        messages.push_back({text, icon});
    }
    std::string LoadString(int id) const override { return ::LoadString(id, language); }
    std::string EchoCaption() const override { return echoCaption; }
    void SetEchoCaption(const std::string& caption) override { echoCaption = caption; }
    bool KeepBackup(const std::vector<std::string>& lines, std::string& why) override {
        backups.push_back(lines);
        why = backupRefusal;
        return backupRefusal.empty();
    }

    // DeviceFields
    uint32_t GetAddress(AddressField field) const override {
        return addresses[field == AddressField::Host ? 0 : 1];
    }
    void SetAddress(AddressField field, uint32_t address) override {
        addresses[field == AddressField::Host ? 0 : 1] = address;
    }
    int GetSelection(SettingCombo combo) const override { return selections.at(combo); }
    void SetSelection(SettingCombo combo, int index) override;
    int ItemCount(SettingCombo combo) const override;
    std::string ItemText(SettingCombo combo, int index) const override;
    TextFields& Texts() override { return texts; }

private:
    // What happens when: a timer fires (timerId) or answer bytes arrive (timerId -1).
    struct Event {
        int timerId;
        std::string bytes;
    };
    using Due = std::pair<long long, long long>;  // time, then the order of arming

    void Receive(const std::string& bytes);

    UiLanguage language;
    ScriptOperations* operations = nullptr;
    DeviceModel* device = nullptr;
    long long now = 0;
    long long nextOrder = 0;
    long long replyDelay = 0;
    std::map<Due, Event> due;
    LineAssembler assembler;
    TextFields texts;
    uint32_t addresses[2] = {0x0A010001, 0};  // host (10.1.0.1) and second host
    std::map<SettingCombo, int> selections;
};
