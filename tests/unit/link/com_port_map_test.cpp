#include "link/com_port_map.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "link/built_in_ports.h"
#include "link/com_port_name.h"
#include "sim/com_link.h"
#include "tests/unit/link/temp_tree.h"

namespace {

struct MappingCase {
    uint16_t portNumber;
    const char* device;  // under the fake dev root; "" when the number maps to nothing
};

class BuiltInMapping : public ::testing::TestWithParam<MappingCase> {};

TEST_P(BuiltInMapping, MapsNumberOntoDevice) {
    TempTree tree;
    const MappingCase& c = GetParam();
    const std::string expected = *c.device == '\0' ? "" : tree.Path(std::string("dev/") + c.device);
    EXPECT_EQ(ComPortMap(tree.Roots()).DevicePath(c.portNumber), expected) << c.portNumber;
}

INSTANTIATE_TEST_SUITE_P(ComNumbers, BuiltInMapping,
                         ::testing::Values(MappingCase{0, ""}, MappingCase{1, "ttyS0"},
                                           MappingCase{4, "ttyS3"}, MappingCase{5, "ttyUSB0"},
                                           MappingCase{14, "ttyUSB9"}, MappingCase{15, "ttyACM0"},
                                           MappingCase{24, "ttyACM9"}, MappingCase{25, ""},
                                           MappingCase{30, ""}, MappingCase{65535, ""}));

TEST(ComPortMapLinks, LinkOverridesBuiltInAndNamesAnyNumber) {
    TempTree tree;
    tree.WriteFile("devices/adapter", "");
    tree.MakeLink("links/COM5", tree.Path("devices/adapter"));
    tree.MakeLink("links/COM31", tree.Path("devices/adapter"));
    tree.MakeLink("links/COM7", tree.Path("devices/gone"));  // dangling
    tree.MakeLink("links/COM06", tree.Path("devices/adapter"));
    const ComPortMap map(tree.Roots());

    EXPECT_EQ(map.DevicePath(5), tree.Path("links/COM5"));
    EXPECT_EQ(map.DevicePath(31), tree.Path("links/COM31"));
    // A dangling link still claims its number; opening it reports why it fails.
    EXPECT_EQ(map.DevicePath(7), tree.Path("links/COM7"));
    // "COM06" is not the name of COM6: the built-in device stays.
    EXPECT_EQ(map.DevicePath(6), tree.Path("dev/ttyUSB1"));
    EXPECT_EQ(map.DevicePath(0), "");
}

// The program reads its links where the simulator makes them, whatever the environment.
TEST(ComPortMapLinks, DefaultLinksFolderFollowsRuntimeDirAsTheSimulatorDoes) {
    const std::string fallback = "/tmp/quillbox-" + std::to_string(getuid()) + "/ports";
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
    const struct {
        const char* value;  // nullptr: unset
        std::string expected;
    } cases[] = {
        {"/run/user/4242", "/run/user/4242/quillbox/ports"}, {"", fallback}, {nullptr, fallback}};
    for (const auto& c : cases) {
        c.value != nullptr ? setenv("XDG_RUNTIME_DIR", c.value, 1) : unsetenv("XDG_RUNTIME_DIR");
        EXPECT_EQ(PortRoots::DefaultLinksDir(), c.expected);
        EXPECT_EQ(DefaultComLinksDir(c.value, getuid()), c.expected);
    }
    saved ? setenv("XDG_RUNTIME_DIR", saved->c_str(), 1) : unsetenv("XDG_RUNTIME_DIR");
}

struct NameCase {
    const char* name;
    uint16_t portNumber;  // 0: not a COM port name
};

class ComNameParsing : public ::testing::TestWithParam<NameCase> {};

TEST_P(ComNameParsing, AcceptsOnlyCanonicalNames) {
    EXPECT_EQ(ParseComPortName(GetParam().name), GetParam().portNumber) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Names, ComNameParsing,
                         ::testing::Values(NameCase{"COM1", 1}, NameCase{"COM30", 30},
                                           NameCase{"COM99", 99}, NameCase{"COM65535", 65535},
                                           NameCase{"COM65536", 0}, NameCase{"COM123456", 0},
                                           NameCase{"COM0", 0}, NameCase{"COM05", 0},
                                           NameCase{"COM", 0}, NameCase{"com3", 0},
                                           NameCase{"COM3x", 0}, NameCase{"COM 3", 0},
                                           NameCase{"COM-3", 0}, NameCase{"XCOM3", 0},
                                           NameCase{"", 0}));

TEST(ComNameParsing, EveryNumberRoundTrips) {
    for (unsigned n = 1; n <= 65535; ++n) {
        ASSERT_EQ(ParseComPortName(ComPortName(static_cast<uint16_t>(n))), n);
    }
}

struct DeviceCase {
    const char* device;
    uint16_t portNumber;  // 0: outside the built-in table
};

class BuiltInDeviceNames : public ::testing::TestWithParam<DeviceCase> {};

TEST_P(BuiltInDeviceNames, MapsDeviceNameOntoNumber) {
    EXPECT_EQ(BuiltInPortNumber(GetParam().device), GetParam().portNumber) << GetParam().device;
}

INSTANTIATE_TEST_SUITE_P(Devices, BuiltInDeviceNames,
                         ::testing::Values(DeviceCase{"ttyS0", 1}, DeviceCase{"ttyS3", 4},
                                           DeviceCase{"ttyS4", 0}, DeviceCase{"ttyS10", 0},
                                           DeviceCase{"ttyS01", 0}, DeviceCase{"ttyS", 0},
                                           DeviceCase{"ttyUSB0", 5}, DeviceCase{"ttyUSB9", 14},
                                           DeviceCase{"ttyUSB10", 0}, DeviceCase{"ttyUSBx", 0},
                                           DeviceCase{"ttyACM0", 15}, DeviceCase{"ttyACM9", 24},
                                           DeviceCase{"ttyAMA0", 0}, DeviceCase{"tty0", 0},
                                           DeviceCase{"console", 0}));

}  // namespace
