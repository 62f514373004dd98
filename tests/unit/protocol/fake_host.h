#pragma once

#include <map>
#include <string>
#include <vector>

#include "protocol/line_assembler.h"
#include "protocol/script_session.h"
#include "protocol/setting_choices.h"
#include "protocol/settings_record.h"
#include "sim/device_model.h"

// The window as the script session sees it, on a clock that only the test moves: the settings
// fields with their start values and the edits as typed, and a port whose bytes go to an
// in-process device model. Answers come back through the line assembler and the receive queue.
class FakeHost : public SessionHost, public SessionPort, public DeviceFields {
public:
    FakeHost(const std::vector<std::string>& stored, DeviceFaults faults)
        : device(stored, faults) {}
    // Moves the clock to `until`, delivering answers and waking the session at its deadlines,
    // in time order.
    void AdvanceTo(Millis until) {
        for (;;) {
            const Millis answerAt = due.empty() ? kNoDeadline : due.begin()->first;
            const Millis next = std::min(answerAt, session.NextDeadline());
            if (next > until) {
                break;
            }
            now = next;
            if (answerAt == next) {
                Receive(due.begin()->second);
                due.erase(due.begin());
            }
            session.Service();
        }
        now = until;
    }
    void Receive(const std::string& bytes) {
        assembler.Feed(bytes.data(), int(bytes.size()),
                       [this](const char* l) { queue.PushLine(l); });
    }
    // The window's presses: the edits are taken over first.
    void PressWrite() {
        if (TakeControls()) {
            session.OnWriteScript(source);
        }
    }
    void PressSend() { TakeControls(), session.OnSend(texts.commandText); }
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
    ReceiveQueue queue{[] {}};
    ScriptSession session{*this, *this, queue};
    Millis replyDelay = 0;  // answers arrive this long after the write that caused them
    bool portOpen = true, lineDown = false;  // lineDown: answers are lost, the device still acts
    TextFields controls = {"1470", "", 1, "", "", ""};  // the edits as typed
    // "<ms> <line without CR>"; outcomes as Describe gives them; log rows since the last clear.
    std::vector<std::string> sent, outcomes, log;
    std::vector<std::vector<std::string>> backups;  // what KeepBackup was given
    std::string backupRefusal;                      // non-empty: KeepBackup fails with it

    bool PortIsOpen() const override { return portOpen; }
    int WritePort(const char* data, int length) override {
        const std::string bytes(data, size_t(length));
        sent.push_back(std::to_string(now) + " " + bytes.substr(0, bytes.find('\r')));
        const std::string answer = device.Receive(bytes);
        if (!answer.empty() && !lineDown) {
            due.insert({now + replyDelay, answer});
        }
        return length;
    }
    Millis Now() const override { return now; }
    // Like the window, a logged line puts the fields back into the edits.
    void AddLogLine(int, const char* text) override { controls = texts, log.push_back(text); }
    void ClearLog() override { log.clear(); }
    void OnSettingListed(const char* line) override { ApplySettingReply(line, *this); }
    bool KeepBackup(const std::vector<std::string>& lines, std::string& why) override {
        return backups.push_back(lines), why = backupRefusal, backupRefusal.empty();
    }
    void OnOutcome(const Outcome& outcome) override { outcomes.push_back(Describe(outcome)); }
    void OnPortLost() override { portOpen = false; }
    void ShowChannelMessage(const UserMessage& message) override {
        outcomes.push_back(message.text);
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

    // "Kind Operation listed/erased/written", then what else the outcome carries.
    static std::string Describe(const Outcome& o) {
        static const char* const kinds[] = {
            "Done",     "NoScript",     "Unwritable", "Refused",     "NoAnswer",
            "PortLost", "BackupFailed", "WriteCut",   "Interrupted", "LinesNotKept"};
        static const char* const operations[] = {"None", "View", "Write", "Erase", "Send", "Echo"};
        static const char* const refusals[] = {"", " NoHostAddress", " NoHostPort", " TooLong "};
        std::string text = std::string(kinds[int(o.kind)]) + " " + operations[int(o.operation)] +
                           " " + std::to_string(o.listed) + "/" + std::to_string(o.erased) + "/" +
                           std::to_string(o.written) + (o.touched ? " touched" : "") +
                           refusals[int(o.refusal)];
        text += o.refusal == WriteRefusal::TooLong ? std::to_string(o.step) : "";
        text += o.kind == OutcomeKind::BackupFailed ? " " + o.backup : "";
        text += o.kind == OutcomeKind::WriteCut ? " " + std::to_string(o.bytesSent) : "";
        text += o.kind == OutcomeKind::LinesNotKept ? " " + std::to_string(o.notKept) : "";
        return text;
    }

private:
    // Like the window's exchange: an ID of more than 8 characters is refused, nothing taken.
    bool TakeControls() {
        texts.hostPortText = controls.hostPortText, texts.commandText = controls.commandText;
        const bool idFits = controls.deviceIdText.size() <= 8;
        texts = idFits ? controls : texts;
        return idFits;
    }
    // The window's fields, taken from the edits at every write step.
    struct Source : FieldsWriteSource {
        explicit Source(FakeHost& host) : FieldsWriteSource(host), host(host) {}
        bool FormatLine(int step, CommandLine& line) override {
            return host.TakeControls(), FieldsWriteSource::FormatLine(step, line);
        }
        FakeHost& host;
    };

    Millis now = 0;
    std::multimap<Millis, std::string> due;  // answers by the time they arrive
    LineAssembler assembler;
    TextFields texts = controls;
    uint32_t addresses[2] = {0x0A010001, 0};
    int selections[5] = {8, 0, 1, 0, 0};  // 115200, NONE, 8, 1, NONE
    Source source{*this};
};
