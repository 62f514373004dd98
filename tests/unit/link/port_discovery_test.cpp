#include "link/port_discovery.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "link/com_links_folder.h"
#include "tests/unit/link/temp_tree.h"

namespace {

using Numbers = std::vector<uint16_t>;

// Blank-separated entries: "a=text" a file, "a" a folder, "a|" a fifo, "a!" a folder anyone
// can write, "a>t" a link to t (in the tree, or /dev/null: a character device that nothing
// opens here); "@" stands for the links folder.
void Build(const TempTree& tree, const std::string& entries) {
    std::istringstream words(entries);
    for (std::string entry; words >> entry;) {
        entry = entry[0] == '@' ? TempTree::kLinks + entry.substr(1) : entry;
        const size_t mark = std::min(entry.find_first_of("=>|!"), entry.size());
        const std::string relative = entry.substr(0, mark), path = tree.Path(relative);
        const std::string rest = entry.substr(std::min(mark + 1, entry.size()));
        if (entry[mark] == '=') {
            tree.WriteFile(relative, rest);
        } else if (entry[mark] == '>') {
            tree.MakeLink(relative, rest[0] == '/' ? rest : tree.Path(rest));
        } else if (entry[mark] == '|') {
            std::filesystem::create_directories(std::filesystem::path(path).parent_path());
            mkfifo(path.c_str(), 0600);
        } else {
            std::filesystem::create_directories(path);
            chmod(path.c_str(), entry[mark] == '!' ? 0777 : 0755);
        }
    }
}

// Expected ports, and "n=path" (blank-separated, "@" the links folder) for what COMn maps to.
TEST(Discovery, OffersAndMapsTheRightPorts) {
    std::string many = "sys/class/tty";
    for (int n = 1; n <= 35; ++n) {
        many += " @/COM" + std::to_string(n) + ">/dev/null";
    }
    const struct {
        const char* name;
        std::string tree;
        std::string ports;
        std::string paths;
        int warnings;  // lines on standard error
    } cases[] = {
        {"uarts, adapters, links that override, add or dangle",
         "sys/class/tty/ttyS0/type=4 sys/class/tty/ttyS1/type=0 sys/class/tty/ttyS2 "
         "sys/class/tty/ttyS4/type=4 sys/class/tty/ttyUSB0 sys/class/tty/ttyUSB1 "
         "sys/class/tty/ttyACM2 sys/class/tty/tty0 @/COM5>/dev/null @/COM31>/dev/null "
         "@/COM3>/dev/null @/COM05>/dev/null @/COM8=x @/COM6>gone",
         "1 3 5 6 17 31", "1=dev/ttyS0 5=@/COM5 6=dev/ttyUSB1 8=dev/ttyUSB3", 0},
        {"links folder others can write", "sys/class/tty/ttyUSB0 @! @/COM5>/dev/null", "5",
         "5=dev/ttyUSB0", 1},
        {"runtime folder others can write", "sys/class/tty/ttyUSB0 run! @/COM5>/dev/null", "5",
         "5=dev/ttyUSB0", 1},
        {"no sysfs: stat, never open",
         "dev/ttyS1>/dev/null dev/ttyUSB3| dev/ttyUSB4>/dev/null @/COM9>gone @/COM26>/dev/null",
         "2 9 26", "9=dev/ttyUSB4", 0},
        {"capacity cuts in discovery order, then sorted", many,
         "1 2 3 4 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 28 29 30 31 32 33 34 35",
         "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempTree tree;
        Build(tree, c.tree);
        testing::internal::CaptureStderr();
        for (int pass = 0; pass < 2; ++pass) {
            Numbers ports(31, 0xBEEF);
            const int count = EnumComPorts(ports.data(), 30, tree.Roots());
            EXPECT_EQ(ports[30], 0xBEEF) << "written past the capacity";
            std::string found;
            for (int i = 0; i < count; ++i) {
                found += (i == 0 ? "" : " ") + std::to_string(ports[i]);
            }
            EXPECT_EQ(found, c.ports);
        }
        std::istringstream paths(c.paths);
        for (std::string path; paths >> path;) {
            const std::string mapped = path.substr(path.find('=') + 1);
            EXPECT_EQ(
                ComPortMap(tree.Roots()).DevicePath(std::stoi(path)),
                mapped[0] == '@' ? tree.Roots().linksDir + mapped.substr(1) : tree.Path(mapped));
        }
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), c.warnings) << errors;
    }
}

TEST(Discovery, DescribesPathAndPrintableUsbProductFromInsideSysfsOnly) {
    TempTree tree;
    Build(tree, "sys/devices/usb1/1-1/product=FT232\x1b[2J" + std::string(100, 'x') +
                    " sys/devices/usb1/1-1/1-1:1.0/ttyUSB0 elsewhere/product=Outside elsewhere/port"
                    " sys/class/tty/ttyUSB0/device>sys/devices/usb1/1-1/1-1:1.0/ttyUSB0"
                    " sys/class/tty/ttyUSB1/device>elsewhere/port dev/ttyUSB0= dev/ttyUSB1=");
    const std::string dev = std::filesystem::canonical(tree.Path("dev")).string();
    EXPECT_EQ(DescribeComPort(5, tree.Roots()), dev + "/ttyUSB0 - FT232[2J" + std::string(56, 'x'));
    EXPECT_EQ(DescribeComPort(6, tree.Roots()), dev + "/ttyUSB1");
}

// The program reads its links where the simulator makes them.
TEST(Discovery, LinksFolderFollowsTheRuntimeFolder) {
    EXPECT_EQ(DefaultComLinksDir("/run/user/42", 7), "/run/user/42/quillbox/ports");
    EXPECT_EQ(DefaultComLinksDir("", 7), "/tmp/quillbox-7/ports");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(PortRoots::DefaultLinksDir(), "/tmp/quillbox-" + std::to_string(getuid()) + "/ports");
}

}  // namespace
