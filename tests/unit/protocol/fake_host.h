#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "protocol/line_assembler.h"
#include "protocol/operation_host.h"
#include "resources/string_table.h"

class DeviceModel;
class ScriptOperations;

// The main window as the script operations see it, on a clock that only the test moves: the
// settings fields with their start values, message boxes closed at once, and a port whose
// bytes go to an in-process device model. Answers come back through the line assembler.
class FakeHost : public OperationHost, public DeviceFields {
public:
    FakeHost();
    void Attach(ScriptOperations& ops, DeviceModel& model) {
        operations = &ops;
        device = &model;
    }
    // The eleven fields in the order Write Script stores them, joined by '|'.
    std::string FieldsLine();
    // Moves the clock by `ms`, firing timers and delivering answers in time order.
    void Advance(long long ms);

    long long replyDelay = 0;  // answers arrive this long after the write that caused them
    bool lineDown = false;     // answers are lost on the way (the device still acts)
    TextFields controls;       // the edits as typed
    std::string echoCaption;
    bool portOpen = true;
    std::vector<std::string> sent;  // "<ms> <line without CR>"
    std::vector<std::string> messages;
    std::vector<std::vector<std::string>> backups;  // what KeepBackup was given
    std::string backupRefusal;                      // non-empty: KeepBackup fails with it

    bool PortIsOpen() const override { return portOpen; }
    int WritePort(const char* data, int length) override;
    void SetTimer(int id, int milliseconds) override;
    void KillTimer(int id) override;
    int AddLogLine(int, const char*) override {
        controls = texts;  // a log row shows the fields in the controls
        return 1;
    }
    void ClearLog() override {}
    bool ExchangeFromControls() override;
    DeviceFields& Fields() override { return *this; }
    void ShowMessage(const std::string& text, MessageIcon icon) override {
        messages.push_back((icon == MessageIcon::Error ? "E " : "I ") + text);
    }
    std::string LoadString(int id) const override { return ::LoadString(id, UiLanguage::English); }
    std::string EchoCaption() const override { return echoCaption; }
    void SetEchoCaption(const std::string& caption) override { echoCaption = caption; }
    bool KeepBackup(const std::vector<std::string>& lines, std::string& why) override {
        backups.push_back(lines);
        why = backupRefusal;
        return backupRefusal.empty();
    }

    uint32_t GetAddress(AddressField field) const override { return addresses[int(field)]; }
    void SetAddress(AddressField field, uint32_t address) override {
        addresses[int(field)] = address;
    }
    int GetSelection(SettingCombo combo) const override { return selections.at(combo); }
    void SetSelection(SettingCombo combo, int index) override { selections[combo] = index; }
    int ItemCount(SettingCombo combo) const override;
    std::string ItemText(SettingCombo combo, int index) const override;
    TextFields& Texts() override { return texts; }

private:
    ScriptOperations* operations = nullptr;
    DeviceModel* device = nullptr;
    long long now = 0;
    long long order = 0;
    std::map<std::pair<long long, long long>, std::pair<int, std::string>> due;  // timer or -1
    LineAssembler assembler;
    TextFields texts;
    uint32_t addresses[2] = {0x0A010001, 0};
    std::map<SettingCombo, int> selections;
};
