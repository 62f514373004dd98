#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_host.h"
#include "protocol/line_handler.h"
#include "protocol/settings_record.h"

namespace {

// Records every notification with the operation state it was sent under.
class RecordingEvents : public LineEvents {
public:
    explicit RecordingEvents(const OperationState& state) : state(state) {}
    void OnListingDone() override { Record("listing-done"); }
    void OnWriteReply(int confirmed) override {
        Record("write-reply " + std::to_string(confirmed));
    }
    void OnEraseReply(int confirmed) override {
        Record("erase-reply " + std::to_string(confirmed));
    }
    int AddLogLine(int direction, const char* text) override {
        Record("log " + std::to_string(direction) + " '" + text + "'");
        return 1;
    }
    std::vector<std::string> events;

private:
    void Record(const std::string& event) {
        events.push_back(event + " @" + std::to_string(state.opState));
    }
    const OperationState& state;
};

struct LineCase {
    int stateBefore;
    int writeMode;
    const char* line;
    int stateAfter;
    int counted;
    const char* notification;  // "" for none; the log row always follows
    bool fills;                // the peer host address changes
};

class LineTableTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineTableTest, MovesStateThenNotifiesThenLogs) {
    const LineCase& c = GetParam();
    FakeHost fields;
    OperationState state;
    state.opState = c.stateBefore;
    state.writeMode = c.writeMode;
    state.listedLineCount = 7;
    RecordingEvents events(state);
    // An exact-size copy, so that a read past the line's end is caught by the sanitizer.
    const std::string text = c.line;
    std::vector<char> line(text.begin(), text.end());
    line.push_back('\0');

    HandleReceivedLine(line.data(), state, fields, events);

    std::vector<std::string> expected;
    if (*c.notification != '\0') {
        expected.push_back(std::string(c.notification) + " @" + std::to_string(c.stateAfter));
    }
    expected.push_back("log 0 '" + text + "' @" + std::to_string(c.stateAfter));
    EXPECT_EQ(events.events, expected);
    EXPECT_EQ(state.opState, c.stateAfter);
    EXPECT_EQ(state.listedLineCount, 7 + c.counted);
    EXPECT_EQ(state.writeMode, c.writeMode);
    EXPECT_EQ(FormatDotted(fields.GetAddress(AddressField::Host)),
              c.fills ? "1.2.3.4" : "10.1.0.1");
}

INSTANTIATE_TEST_SUITE_P(
    States, LineTableTest,
    ::testing::Values(LineCase{Listing, 0, "!700", Idle, 0, "listing-done", false},
                      LineCase{Listing, 0, "!700 and more", Idle, 0, "listing-done", false},
                      LineCase{Listing, 0, "!PA 1.2.3.4", Listing, 1, "", true},
                      LineCase{Listing, 0, "!pa 1.2.3.4", Listing, 1, "", true},
                      LineCase{Listing, 1, "!PA 1.2.3.4", Listing, 1, "", false},
                      LineCase{Listing, 0, "", Listing, 1, "", false},
                      LineCase{Listing, 0, "!70", Listing, 1, "", false},
                      LineCase{Listing, 0, "!VS", Listing, 1, "", false},
                      LineCase{Listing, 0, "!SO c 100", Listing, 1, "", false},
                      LineCase{Writing, 1, "!700", Idle, 0, "write-reply 1", false},
                      LineCase{Writing, 1, "!WS !PA 1.2.3.4", Writing, 0, "write-reply 0", false},
                      LineCase{Writing, 1, "!WSX", Writing, 0, "write-reply 0", false},
                      LineCase{Writing, 1, "!UE 3D9F1B62", Writing, 0, "write-reply 0", false},
                      LineCase{Writing, 1, "!ES", Failed, 0, "write-reply 0", false},
                      LineCase{Writing, 1, "!ws x", Failed, 0, "write-reply 0", false},
                      LineCase{Writing, 1, "!ER 05", Failed, 0, "write-reply 0", false},
                      LineCase{Writing, 1, "", Failed, 0, "write-reply 0", false},
                      LineCase{Erasing, 0, "!700", Idle, 0, "erase-reply 1", false},
                      LineCase{Erasing, 0, "!ES", Erasing, 0, "erase-reply 0", false},
                      LineCase{Erasing, 0, "!UE 3D9F1B62", Erasing, 0, "erase-reply 0", false},
                      LineCase{Erasing, 0, "!WS !PA 1.2.3.4", Failed, 0, "erase-reply 0", false},
                      LineCase{Erasing, 0, "", Failed, 0, "erase-reply 0", false},
                      LineCase{Idle, 0, "!700", Idle, 0, "", false},
                      LineCase{Idle, 0, "!PA 1.2.3.4", Idle, 0, "", false},
                      LineCase{Failed, 0, "!700", Failed, 0, "", false},
                      LineCase{Failed, 0, "!PA 1.2.3.4", Failed, 0, "", false}));

}  // namespace
