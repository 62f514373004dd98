// View, Write, Delete, Send and Echo against the simulated device on a fake clock: presses at
// given times, then every line the device received with its time, the outcomes and the end.
#include <gtest/gtest.h>

#include "fake_host.h"

namespace {

using Lines = std::vector<std::string>;
using H = FakeHost;
using O = ScriptSession;
using Act = void (*)(H&, O&);

struct Press {
    long long at;
    Act act;
    std::string bytes = {};  // with no act: one read from the port
};

struct Row {
    const char* name;
    Lines stored;
    DeviceFaults faults;
    std::vector<Press> presses;
    Lines sent;      // "<ms> <line>"
    Lines outcomes;  // FakeHost::Describe
    int opState;
    const char* fields;  // nullptr: not checked
    std::vector<Lines> backups;
    Lines log = {};  // empty: not checked
};

const Act View = [](H&, O& o) { o.OnViewScript(); };
const Act Write = [](H& h, O&) { h.PressWrite(); };
const Act Delete = [](H&, O& o) { o.OnEraseAllScript(); };
const Act Send = [](H& h, O&) { h.PressSend(); };
const Act EchoOff = [](H&, O& o) { o.OnEcho(true); };
const Act EchoOn = [](H&, O& o) { o.OnEcho(false); };
const Act Close = [](H& h, O& o) { h.portOpen = false, o.EndOperation(); };
const Act Reopen = [](H& h, O&) { h.portOpen = true, h.lineDown = false; };
const Act Timeout1s = [](H&, O& o) { o.SetAnswerTimeout(1000); };
const Act LosePort = [](H& h, O&) { h.queue.PushPortLost(); };
// A file's script: the settings it gives and no others.
const Act WritePartial = [](H&, O& o) {
    static DeviceScript script{{"!PA 10.0.0.9", "!pp 4001", "!TB 9600"}};
    static ScriptWriteSource source(script);
    o.OnWriteScript(source);
};
const Act WriteNoPort = [](H&, O& o) {
    static DeviceScript script{{"!PA 10.0.0.9", "!TB 9600"}};
    static ScriptWriteSource source(script);
    o.OnWriteScript(source);
};
const Act Delay900 = [](H& h, O&) { h.replyDelay = 900; };
const Act CutLine = [](H& h, O&) { h.lineDown = true; };
const Act TypePort = [](H& h, O&) { h.Texts().hostPortText = "typed"; };
const Act LongPort = [](H& h, O&) { h.controls.hostPortText = std::string(31, '1'); };
const Act BlankHost = [](H& h, O&) { h.SetAddress(AddressField::Host, 0); };
const Act Baud9600 = [](H& h, O&) { h.SetSelection(SettingCombo::BaudRate, 4); };
const Act AllSet = [](H& h, O&) {
    h.SetAddress(AddressField::SecondHost, 0xC0A80002);
    h.controls.intervalText = "30", h.controls.timeoutText = "5", h.controls.deviceIdText = "AB";
};
const Act Choices = [](H& h, O&) {
    h.controls.intervalText = "abc";
    h.SetSelection(SettingCombo::Parity, 2), h.SetSelection(SettingCombo::DataBits, 0);
    h.SetSelection(SettingCombo::StopBits, 1), h.SetSelection(SettingCombo::FlowControl, 1);
};
const Act HugeInterval = [](H& h, O&) { h.controls.intervalText = "99999999"; };
const Act LongId = [](H& h, O&) { h.controls.deviceIdText = "123456789"; };
const Act Command = [](H& h, O&) { h.controls.commandText = "!VS"; };
const Act NoBackup = [](H& h, O&) { h.backupRefusal = "disk full"; };
const Act SlowLine = [](H& h, O&) { h.replyDelay = 200; };

const DeviceFaults kWire{false, -1, false, true, true, true, true};  // CR LF, noise, case, length
const DeviceFaults kEcho{false, -1, false, false, false, false, false, true};

// clang-format off
const Lines kThree = {"!PA 192.168.0.10", "!PP 5000", "!TB 9600"};
const char* const kThreeFields = "192.168.0.10|5000|0.0.0.0||||9600|NONE|8|1|NONE";
const char* const kStartFields = "10.1.0.1|1470|0.0.0.0||||115200|NONE|8|1|NONE";
const Lines kSix = {"!PA 192.168.0.10", "!PP 5000", "!SO C 3050", "!TB 9600", "!TP 2", "!SC AB"};
// Replies that select nothing or only in part: a rate the list lacks selects 115200, a huge
// interval saturates, sub-fields in the wrong case or without their blank, digits out of
// range, mixed-case and short codes change nothing.
const Lines kOdd = {"!TB 9600", "!TB 14400", "!SO C \t+99999999999999999999x", "!SO c 100",
    "!so C 1", "!SO C100", "!SO", "!TP 2", "!TP 5", "!TD 7", "!TD 9", "!TD ", "!Pa 1.2.3.4", "!PA"};
const Lines kStart = {"!PA 10.1.0.1", "!PP 1470", "!TB 115200", "!TP 0", "!TD 8", "!TS 1", "!FC 0"};
const Lines kForeign = {"!PA 10.1.0.1", "!SC \xBC\xAD\xBF\xEF"};  // an ID in code page 949
const Lines kAll = {"!PA 10.1.0.1", "!PP 1470", "!SA 192.168.0.2", "!SO C 3000", "!TC 5", "!SC AB",
    "!TB 115200", "!TP 0", "!TD 8", "!TS 1", "!FC 0"};
const Lines kChoices = {"!PA 10.1.0.1", "!PP 1470", "!SO C 0", "!TB 9600", "!TP 2", "!TD 7",
    "!TS 2", "!FC 1"};
const Lines kForeignWritten = {"!PA 10.1.0.1", "!PP 1470", "!SC \xBC\xAD\xBF\xEF", "!TB 115200",
    "!TP 0", "!TD 8", "!TS 1", "!FC 0"};
const std::string k100(100, 'x');
const std::string kRefused = "Refused Write 0/0/0";
const std::string kRelisted = "Done View 0/0/0";  // what an erase leaves: nothing

// `head`, lines `pace` ms apart from `at`: erase passes, "!UE", `settings`; then `tail`.
Lines From(Lines head, int at, int pace, int passes, const Lines& settings = {}, bool unlock = true,
           const Lines& tail = {}) {
    const auto add = [&](const std::string& line) {
        head.push_back(std::to_string(at) + " " + line), at += pace;
    };
    for (int pass = 0; pass < passes; ++pass) {
        add("!UE 3D9F1B62"), add("!ES");
    }
    if (unlock) {
        add("!UE 3D9F1B62");
    }
    for (const std::string& setting : settings) {
        add("!WS " + setting);
    }
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

const Row kRows[] = {
    {"ViewThroughWireFaults", kSix, kWire, {{0, View}}, {"100 !VS"}, {"Done View 7/0/0"}, Idle,
     "192.168.0.10|5000|0.0.0.0|30||AB|9600|ODD|8|1|NONE", {}},
    {"ViewOddReplies", kOdd, {}, {{0, View}}, {"100 !VS"}, {"Done View 14/0/0"}, Idle,
     "10.1.0.1|1470|0.0.0.0|92233720368547758|||115200|ODD|7|1|NONE", {}},
    // The first answer ends the second listing; the second answer is only logged.
    {"ViewAgainWhileAnswering", kThree, {}, {{0, SlowLine}, {0, View}, {150, View},
     {320, TypePort}}, {"100 !VS", "250 !VS"}, {"Done View 3/0/0"}, Idle,
     "192.168.0.10|typed|0.0.0.0||||9600|NONE|8|1|NONE", {}},
    {"ClosedPort", kThree, {}, {{0, Close}, {0, View}, {0, Write}, {0, Delete}, {0, Send},
     {0, EchoOff}}, {}, {}, Idle, kStartFields, {}},
    {"WriteAllSetAfterErasing", kThree, {}, {{0, AllSet}, {0, Write}},
     From({"100 !VS"}, 300, 200, 3, kAll), {"Done Write 3/3/11 touched"}, Idle, nullptr, {kThree}},
    {"WriteChoicesBaudChosenLate", {}, {}, {{0, Choices}, {0, Write}, {800, Baud9600}},
     From({"100 !VS"}, 300, 200, 0, kChoices), {"Done Write 0/0/8 touched"}, Idle, nullptr, {}},
    {"WriteLongPortRefusedFirst", kThree, {}, {{0, LongPort}, {0, Write}}, {},
     {"Unwritable Write 0/0/0 TooLong 2"},
     Idle, nullptr, {}},
    {"WriteHugeIntervalRefusedFirst", kThree, {}, {{0, HugeInterval}, {0, Write}}, {},
     {"Unwritable Write 0/0/0 TooLong 4"}, Idle, nullptr, {}},
    {"WriteIdTooLongStartsNothing", kThree, {}, {{0, LongId}, {0, Write}}, {}, {}, Idle, nullptr,
     {}},
    {"WriteHostBlankedWhileErasing", kThree, {}, {{0, Write}, {100, BlankHost}},
     From({"100 !VS"}, 300, 200, 3, {}, false), {"Unwritable Write 3/3/0 touched NoHostAddress"}, Idle, nullptr,
     {kThree}},
    {"WriteValueTooLongAtItsStep", {}, {}, {{0, Write}, {650, LongPort}},
     From({"100 !VS"}, 300, 200, 0, {"!PA 10.1.0.1"}),
     {"Unwritable Write 0/0/1 touched TooLong 2"}, Idle, nullptr, {}},
    {"DeleteEmpty", {}, {}, {{0, Delete}}, {"100 !VS"}, {"NoScript Erase 0/0/0"},
     Idle, kStartFields, {}},
    {"DeleteThreeThenList", kThree, {}, {{0, Delete}},
     From({"100 !VS"}, 300, 200, 3, {}, false, {"1400 !VS"}), {"Done Erase 3/3/0 touched", kRelisted}, Idle, kThreeFields,
     {kThree}},
    // The echoed "!VS" is listed too and costs one more erase pass.
    {"EchoingDeviceWrite", {"!PA 192.168.0.10", "!PP 5000"}, kEcho, {{0, Write}},
     From({"100 !VS"}, 300, 200, 3, kStart), {"Done Write 3/3/7 touched"}, Idle, nullptr,
     {{"!VS", "!PA 192.168.0.10", "!PP 5000"}}},
    {"RefusedMidErase", kThree, DeviceFaults{false, 2}, {{0, Write}},
     From({"100 !VS"}, 300, 200, 1, {}, false), {"Refused Write 3/0/0 touched"}, Failed, nullptr, {kThree}},
    {"RefusedMidWrite", {}, DeviceFaults{false, 3}, {{0, Write}},
     From({"100 !VS"}, 300, 200, 0, {"!PA 10.1.0.1", "!PP 1470"}),
     {"Refused Write 0/0/1 touched"}, Failed, nullptr, {}},
    {"SendKeepsTheCommand", {"!PP 5000"}, {}, {{0, Command}, {0, Send}, {10, Send}},
     {"0 !VS", "10 !VS"}, {"Done Send 0/0/0", "Done Send 0/0/0"}, Idle, kStartFields, {}},
    {"SendEmpty", {}, {}, {{0, Send}}, {"0 "}, {}, Idle, nullptr, {}},
    {"EchoTwice", {}, {}, {{0, EchoOff}, {10, EchoOn}}, {"0 !E0", "10 !E1"}, {"Done Echo 0/0/0", "Done Echo 0/0/0"},
     Idle, nullptr, {}},
    // Close ends a waiting operation: neither a tick already queued nor the echo's "!700" acts.
    {"CloseEndsErase", kThree, {}, {{0, Delete}, {400, CutLine}, {1000, Close}, {1100, Reopen},
     {1200, EchoOff}}, {"100 !VS", "300 !UE 3D9F1B62", "500 !ES", "1200 !E0"}, {"Done Echo 0/0/0"}, Idle,
     nullptr, {kThree}},
    {"CloseEndsWrite", {}, {}, {{0, Write}, {400, CutLine}, {1000, Close}, {1100, Reopen},
     {1200, EchoOff}},
     {"100 !VS", "300 !UE 3D9F1B62", "500 !WS !PA 10.1.0.1", "1200 !E0"}, {"Done Echo 0/0/0"}, Idle, nullptr, {}},
    // A step armed before another press is not sent after it.
    {"ViewStopsWrite", {}, {}, {{0, Write}, {650, View}},
     {"100 !VS", "300 !UE 3D9F1B62", "500 !WS !PA 10.1.0.1", "750 !VS"}, {"Done View 1/0/0"}, Idle,
     kStartFields, {}},
    {"DeleteAgainWhileErasing", kThree, {}, {{0, Delete}, {450, Delete}},
     From({"100 !VS", "300 !UE 3D9F1B62", "550 !VS"}, 750, 200, 3, {}, false, {"1850 !VS"}),
     {"Done Erase 3/3/0 touched", kRelisted}, Idle, kThreeFields, {kThree, kThree}},
    {"ForeignBytesRoundTrip", kForeign, {}, {{0, View}, {500, Write}},
     From({"100 !VS", "600 !VS"}, 800, 200, 2, kForeignWritten),
     {"Done View 2/0/0", "Done Write 2/2/8 touched"}, Idle,
     "10.1.0.1|1470|0.0.0.0|||\xBC\xAD\xBF\xEF|115200|NONE|8|1|NONE", {kForeign}},
    {"WriteWithoutBackupErasesNothing", kThree, {}, {{0, NoBackup}, {0, Write}}, {"100 !VS"},
     {"BackupFailed Write 3/0/0 disk full"}, Idle, nullptr,
     {kThree}},
    // Reads the device model never sends: split lines, LFs anywhere, an empty line, a line of
    // 300 bytes kept to its first 127. The listing's end starts the write before its "!700" is
    // logged; a "!WS" without its blank still waits; case counts; a failed step ignores "!700".
    // A script writes exactly its own lines; one without a host port starts nothing.
    {"WriteScriptAsGiven", kThree, {}, {{0, WritePartial}},
     From({"100 !VS"}, 300, 200, 3, {"!PA 10.0.0.9", "!PP 4001", "!TB 9600"}),
     {"Done Write 3/3/3 touched"}, Idle, kStartFields, {kThree}},
    // The tail of an earlier listing, its "!700" too, that arrives before the write's own "!VS"
    // goes out counts for nothing: the write erases by its own listing.
    {"WriteAfterAStaleListing", kThree, {}, {{150, WritePartial}, {200, nullptr, "!pa 1.2.3.4\r!700\r"}},
     From({"250 !VS"}, 450, 200, 3, {"!PA 10.0.0.9", "!PP 4001", "!TB 9600"}),
     {"Done Write 3/3/3 touched"}, Idle, kStartFields, {kThree}},
    {"WriteScriptWithoutPort", kThree, {}, {{0, WriteNoPort}}, {},
     {"Unwritable Write 0/0/0 NoHostPort"}, Idle, nullptr, {}},
    // The answer time-out counts from each line sent: lines that neither confirm nor refuse do
    // not extend it (a "!700" after it confirms nothing), and the pause before a step is not the
    // device's.
    {"ChatterDoesNotExtendTheTimeout", {}, DeviceFaults{true}, {{0, Timeout1s}, {0, View},
     {500, nullptr, "!XX\r"}, {900, nullptr, "!XX\r"}, {1050, nullptr, "!XX\r"},
     {1150, nullptr, "!700\r"}}, {"100 !VS"}, {"NoAnswer View 3/0/0"}, Idle, nullptr, {}},
    {"SlowAnswersWithinTheTimeout", {}, {}, {{0, Timeout1s}, {0, Delay900}, {0, Write}},
     From({"100 !VS"}, 1200, 1100, 0, kStart), {"Done Write 0/0/7 touched"}, Idle, nullptr, {}},
    {"PortLostMidWrite", {}, {}, {{0, Write}, {400, LosePort}, {1000, View}},
     {"100 !VS", "300 !UE 3D9F1B62"}, {"PortLost Write 0/0/0"}, Idle, nullptr, {}},
    {"FedRepliesFailAWrite", {}, {}, {{0, CutLine}, {0, Write}, {1000, nullptr, "\n!700 a\nnd"},
     {1500, nullptr, " more\r"}, {2000, nullptr, "!WSX\r\n"}, {3000, nullptr, "!ws x\r!700\r"}},
     {"100 !VS", "1700 !UE 3D9F1B62"}, {kRefused}, Failed, nullptr, {},
     {"!700 and more", "!UE 3D9F1B62", "!WSX", "!ws x", "!700"}},
    {"FedEmptyReplyFails", {}, {}, {{0, CutLine}, {0, Write}, {1000, nullptr, "!700\r"},
     {2000, nullptr, "\r"}}, {"100 !VS", "1200 !UE 3D9F1B62"}, {kRefused}, Failed, nullptr, {}},
    // "!70" is a listed line; an erase step waits through a repeated "!UE".
    {"FedRepliesFailAnErase", {}, {}, {{0, CutLine}, {0, Delete}, {1000, nullptr, "!70\r" + k100},
     {1500, nullptr, k100 + k100 + "\r!700\r"}, {3000, nullptr, "!UE\r!WS\r"}},
     {"100 !VS", "1700 !UE 3D9F1B62"}, {"Refused Erase 2/0/0"}, Failed, nullptr,
     {{"!70", k100 + k100.substr(73)}}},
};
// clang-format on

TEST(Sequence, SendsPacedLinesAndEndsAsExpected) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        FakeHost host(row.stored, row.faults);
        for (const Press& press : row.presses) {
            host.AdvanceTo(press.at);
            press.act != nullptr ? press.act(host, host.session) : host.Receive(press.bytes);
            host.session.Service();
        }
        host.AdvanceTo(3600 * 1000);
        EXPECT_EQ(host.sent, row.sent);
        EXPECT_EQ(host.outcomes, row.outcomes);
        EXPECT_EQ(host.session.OpState(), row.opState);
        EXPECT_TRUE(row.fields == nullptr || host.FieldsLine() == row.fields) << host.FieldsLine();
        EXPECT_EQ(host.backups, row.backups);
        EXPECT_TRUE(row.log.empty() || host.log == row.log);
        EXPECT_FALSE(host.session.Busy());
    }
}

}  // namespace
