// The simulated device: its answers, its fault knobs, its pseudo-terminal and the COM link to it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "sim/com_link.h"
#include "sim/demo_script.h"
#include "sim/pty_host.h"
#include "tests/unit/link/temp_tree.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// The answer lines as the far side reads them (LF dropped), joined by '|'.
std::string Ask(DeviceModel& device, const std::string& lines) {
    std::string answer = device.Receive(lines + "\r");
    answer.erase(std::remove(answer.begin(), answer.end(), '\n'), answer.end());
    std::replace(answer.begin(), answer.end(), '\r', '|');
    return answer;
}

TEST(DeviceModel, AnswersTheProtocolAndStoresOnlyWhileUnlocked) {
    DeviceModel device({"!PA 10.1.0.1", "!PP 1470"});
    // clang-format off
    const std::pair<const char*, const char*> session[] = {
        {"\n!V\nS", "!PA 10.1.0.1|!PP 1470|!700|"}, {"!ES", "!ER 02|"},
        {"!UE 3d9f1b62", "!ER 04|"}, {"!UE 3D9F1B62", "!700|"}, {"!WS !PP 2000", "!700|"},
        {"!WS !SC \xBC\xAD\xBF\xEF", "!700|"}, {"!ES\r!E1", "!700|!700|"},
        {"!WS !SO C 3000", "!WS !SO C 3000|!700|"},
        {"!VS", "!VS|!PP 2000|!SC \xBC\xAD\xBF\xEF|!SO C 3000|!700|"},
        {"!ES", "!ES|!ER 02|"}, {"!E0", "!E0|!700|"}, {"HELLO", "!ER 01|"}};
    // clang-format on
    for (const auto& [command, answer] : session) {
        EXPECT_EQ(Ask(device, command), answer) << command;
    }
    for (const char* bad : {"!WS !pp 1", "!WS !XX 1", "!WS !PP  1", "!WS !SO c 1", "!WS !SO C 3x",
                            "!WS !SC A\tB", "!WS "}) {
        EXPECT_EQ(Ask(device, std::string("!UE 3D9F1B62\r") + bad), "!700|!ER 03|") << bad;
        EXPECT_EQ(Ask(device, "!ES"), "!ER 02|") << bad;  // a refusal ends the unlock
    }
    EXPECT_EQ(device.StoredLines(), (Lines{"!PP 2000", "!SC \xBC\xAD\xBF\xEF", "!SO C 3000"}));
}

TEST(DeviceModel, FaultKnobs) {
    DeviceFaults wire;
    wire.lfAfterCr = wire.noise = true;
    DeviceModel framed(DemoScript(), wire), plain(DemoScript());
    EXPECT_NE(framed.Receive("!VS\r").find("\n00\r\n"), std::string::npos);  // "!7" LF "00" CR LF
    EXPECT_EQ(Ask(framed, "!VS"), Ask(plain, "!VS"));
    DeviceFaults rough;
    rough.lowerCaseCodes = rough.overLongLines = true;
    DeviceModel device({"!SO C 3000", "!SC Ab"}, rough);
    EXPECT_EQ(Ask(device, "!VS").substr(300), "|!so c 3000|!sc Ab|!700|");
    device.Faults().silent = true;
    EXPECT_EQ(Ask(device, "!VS"), "");
}

// Unplugging is seen by the window's lost-port test.
TEST(PtyHost, ServesARawPortAndKeepsBytesWhileClosed) {
    PtyHost host{DeviceModel({"!TB 9600"})};
    ASSERT_TRUE(host.Start());
    host.SetAnswerDelay(1);
    host.WithModel([](DeviceModel& model) { model.Faults().splitAnswers = true; });
    const std::string raw = "a\rb\n\x03\x04\x11\x7f!700\r", listed = "!TB 9600\r!700\r";
    for (int open = 0; open < 2; ++open) {
        host.Inject(raw);  // while the port is closed
        const int fd = ::open(host.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        EXPECT_EQ(ReadFrom(fd, raw.size(), 10000), raw);  // unchanged: the slave side is raw
        EXPECT_EQ(write(fd, "!VS\r", 4), 4);
        EXPECT_EQ(ReadFrom(fd, listed.size(), 10000), listed);
        close(fd);
    }
}

TEST(ComLink, MadeInPrivateFoldersReplacingOnlyLinksAndRemovedWithTheHost) {
    const TempTree tree;
    const std::string root = tree.Path("sim");
    const std::string ports = root + "/run/quillbox/ports";
    std::string linkPath;
    std::string error;
    {
        PtyHost host{DeviceModel()};
        ASSERT_TRUE(host.Start());
        ASSERT_TRUE(host.LinkAsCom(7, ports, &error)) << error;
        EXPECT_EQ(fs::read_symlink(ports + "/COM7"), host.SlavePath());
        for (const std::string& folder : {ports, root + "/run/quillbox", root + "/run"}) {
            EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all) << folder;
        }
    }
    EXPECT_TRUE(fs::is_empty(ports));
    fs::create_symlink("/dev/pts/stale", ports + "/COM9");  // left by a simulator that died
    EXPECT_TRUE(MakeComLink(9, ports, "/dev/pts/77", &linkPath, &error)) << error;
    std::ofstream(ports + "/COM10") << "keep me";
    EXPECT_FALSE(MakeComLink(10, ports, "/dev/pts/1", &linkPath, &error));
    EXPECT_TRUE(fs::is_regular_file(ports + "/COM10"));
    chmod((root + "/run").c_str(), 0777);  // another user could swap the folders under it
    EXPECT_FALSE(MakeComLink(3, ports, "/dev/pts/1", &linkPath, &error));
    EXPECT_NE(error.find(root + "/run "), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(ports + "/COM3"));
}

}  // namespace
