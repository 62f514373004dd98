#include "link/port_discovery.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tests/unit/link/temp_tree.h"

namespace {

using Numbers = std::vector<uint16_t>;

// /dev/null stands in for a serial device: a character device that nothing here opens.
void Device(const TempTree& tree, const std::string& relative) {
    tree.MakeLink(relative, "/dev/null");
}

struct DiscoveryCase {
    const char* name;
    std::function<void(const TempTree&)> setup;
    Numbers expected;
    std::vector<std::pair<uint16_t, const char*>> paths;  // COM number -> path in the tree
    int warnings = 0;                                     // lines on standard error
    const char* linksDir = "links";
};

void PrintTo(const DiscoveryCase& c, std::ostream* out) {
    *out << c.name;
}

class Discovery : public ::testing::TestWithParam<DiscoveryCase> {};

TEST_P(Discovery, OffersAndMapsTheRightPorts) {
    const DiscoveryCase& c = GetParam();
    TempTree tree;
    c.setup(tree);
    PortRoots roots = tree.Roots();
    roots.linksDir = tree.Path(c.linksDir);
    testing::internal::CaptureStderr();
    for (int pass = 0; pass < 2; ++pass) {
        Numbers ports(31, 0xBEEF);
        const int count = EnumComPorts(ports.data(), 30, roots);
        EXPECT_EQ(ports[30], 0xBEEF) << "written past the capacity";
        ports.resize(static_cast<size_t>(std::max(count, 0)));
        EXPECT_EQ(ports, c.expected);
    }
    for (const auto& [number, path] : c.paths) {
        EXPECT_EQ(ComPortMap(roots).DevicePath(number), tree.Path(path)) << number;
    }
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), c.warnings) << errors;
}

Numbers CutThenSorted() {
    Numbers numbers = {1, 2, 3, 4};
    for (uint16_t n = 10; n <= 35; ++n) {
        numbers.push_back(n);
    }
    return numbers;
}

const DiscoveryCase kCases[] = {
    {"RealUartsAndAdapters",
     [](const TempTree& t) {
         t.WriteFile("sys/class/tty/ttyS0/type", "4\n");
         t.WriteFile("sys/class/tty/ttyS1/type", "0\n");  // no UART answered
         t.MakeDir("sys/class/tty/ttyS2");
         t.WriteFile("sys/class/tty/ttyS4/type", "4");  // outside the table
         for (const char* name : {"ttyUSB0", "ttyACM2", "tty0", "console"}) {
             t.MakeDir(std::string("sys/class/tty/") + name);
         }
     },
     {1, 5, 17},
     {{1, "dev/ttyS0"}, {15, "dev/ttyACM0"}}},
    {"LinksOverrideAndAdd",
     [](const TempTree& t) {
         t.MakeDir("sys/class/tty/ttyUSB0");
         for (const char* name : {"COM5", "COM31", "COM3", "COM05", "COMx"}) {
             Device(t, std::string("links/") + name);
         }
         t.WriteFile("links/COM8", "not a device");
     },
     {3, 5, 31},
     {{5, "links/COM5"}, {31, "links/COM31"}, {8, "dev/ttyUSB3"}}},
    {"DanglingLinkHidesNothing",
     [](const TempTree& t) {
         t.MakeDir("sys/class/tty/ttyUSB0");
         t.MakeLink("links/COM5", t.Path("gone"));
     },
     {5},
     {{5, "dev/ttyUSB0"}}},
    {"FolderOthersCanWriteIsIgnored",
     [](const TempTree& t) {
         t.MakeDir("sys/class/tty");
         Device(t, "links/COM3");
         chmod(t.Path("links").c_str(), 0777);
     },
     {},
     {{3, "dev/ttyS2"}},
     1},
    {"RuntimeFolderOthersCanWriteIsIgnored",
     [](const TempTree& t) {
         t.MakeDir("sys/class/tty");
         Device(t, "run/quillbox/ports/COM3");
         chmod(t.Path("run").c_str(), 0777);
     },
     {},
     {{3, "dev/ttyS2"}},
     1,
     "run/quillbox/ports"},
    {"WithoutSysfsCharacterDevicesAreFoundWithoutOpening",
     [](const TempTree& t) {
         Device(t, "dev/ttyS1");
         t.MakeDir("dev");
         mkfifo(t.Path("dev/ttyUSB3").c_str(), 0600);  // opens like a device, is none
         Device(t, "dev/ttyUSB4");
         t.MakeLink("links/COM9", t.Path("gone"));
         Device(t, "links/COM26");
     },
     {2, 9, 26},
     {{9, "dev/ttyUSB4"}}},
    {"CapacityCutsInDiscoveryOrderBeforeSorting",
     [](const TempTree& t) {
         t.MakeDir("sys/class/tty");
         for (int n = 1; n <= 35; ++n) {
             Device(t, "links/COM" + std::to_string(n));
         }
     },
     CutThenSorted(),
     {}},
};

INSTANTIATE_TEST_SUITE_P(Trees, Discovery, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PortDescription, ShowsPathAndPrintableUsbProductFromInsideSysfsOnly) {
    TempTree tree;
    tree.WriteFile("sys/devices/usb1/1-1/product", "FT232\x1b[2J" + std::string(100, 'x'));
    tree.MakeDir("sys/devices/usb1/1-1/1-1:1.0/ttyUSB0");
    tree.MakeLink("sys/class/tty/ttyUSB0/device", "../../../devices/usb1/1-1/1-1:1.0/ttyUSB0");
    tree.WriteFile("elsewhere/product", "Not from sysfs\n");
    tree.MakeDir("elsewhere/port");
    tree.MakeLink("sys/class/tty/ttyUSB1/device", tree.Path("elsewhere/port"));
    tree.WriteFile("dev/ttyUSB0", "");
    tree.WriteFile("dev/ttyUSB1", "");
    const std::string dev = std::filesystem::canonical(tree.Path("dev")).string();
    EXPECT_EQ(DescribeComPort(5, tree.Roots()), dev + "/ttyUSB0 - FT232[2J" + std::string(56, 'x'));
    EXPECT_EQ(DescribeComPort(6, tree.Roots()), dev + "/ttyUSB1");
    EXPECT_EQ(DescribeComPort(0, tree.Roots()), "");
}

}  // namespace
