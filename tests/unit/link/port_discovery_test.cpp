#include "link/port_discovery.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/unit/link/temp_tree.h"

namespace {

using Numbers = std::vector<uint16_t>;

Numbers Range(uint16_t first, uint16_t last) {
    Numbers numbers;
    for (unsigned n = first; n <= last; ++n) {
        numbers.push_back(static_cast<uint16_t>(n));
    }
    return numbers;
}

class PortDiscovery : public ::testing::Test {
protected:
    // The dialog's call: 30 entries of room, one more to catch a write past them.
    Numbers Discover(int capacity = 30) const {
        Numbers ports(static_cast<size_t>(capacity) + 1, 0xBEEF);
        const int count = EnumComPorts(ports.data(), capacity, tree.Roots());
        EXPECT_GE(count, 0);
        EXPECT_LE(count, capacity);
        EXPECT_EQ(ports[static_cast<size_t>(capacity)], 0xBEEF) << "written past the capacity";
        ports.resize(static_cast<size_t>(count < 0 ? 0 : count));
        return ports;
    }
    void AddTty(const std::string& name) { tree.MakeDir("sys/class/tty/" + name); }
    void AddUart(const std::string& name, const std::string& type) {
        tree.WriteFile("sys/class/tty/" + name + "/type", type);
    }
    void AddLink(int portNumber, const std::string& target = "devices/real") {
        tree.WriteFile("devices/real", "");
        tree.MakeLink("links/COM" + std::to_string(portNumber), tree.Path(target));
    }

    TempTree tree;
};

TEST_F(PortDiscovery, SysfsListsRealUartsAndAdaptersOfTheTable) {
    AddUart("ttyS0", "4\n");
    AddUart("ttyS1", "0\n");  // the kernel's placeholder: no UART answered
    AddTty("ttyS2");          // no type at all
    AddUart("ttyS3", "16\n");
    AddUart("ttyS4", "4\n");  // real, but outside the table
    for (const char* name : {"ttyUSB0", "ttyACM2", "tty0", "console", "ptmx"}) {
        AddTty(name);
    }
    EXPECT_EQ(Discover(), (Numbers{1, 4, 5, 17}));
}

TEST_F(PortDiscovery, LinksAddNumbersOnceSortedAndDanglingOnesAreSkipped) {
    AddTty("ttyUSB0");
    AddLink(99);
    AddLink(5);   // overrides ttyUSB0: listed once
    AddLink(31);  // found; the dialog decides not to offer it
    AddLink(3);
    AddLink(7, "devices/unplugged");
    tree.MakeLink("links/COM05", tree.Path("devices/real"));
    tree.MakeLink("links/COMx", tree.Path("devices/real"));
    tree.WriteFile("links/notes.txt", "");
    EXPECT_EQ(Discover(), (Numbers{3, 5, 31, 99}));
}

TEST_F(PortDiscovery, CapacityCutsInDiscoveryOrderBeforeSorting) {
    tree.MakeDir("sys/class/tty");
    for (int n = 1; n <= 35; ++n) {
        AddLink(n);
    }
    // By name COM1, COM10..COM19, COM2, COM20..COM29, COM3, COM30..COM35 and COM4 come
    // first: COM5 to COM9 are among the five dropped although their numbers are small.
    Numbers expected = Range(1, 4);
    const Numbers high = Range(10, 35);
    expected.insert(expected.end(), high.begin(), high.end());
    EXPECT_EQ(Discover(), expected);
}

TEST_F(PortDiscovery, SysfsComesBeforeLinks) {
    for (int k = 0; k < 4; ++k) {
        AddUart("ttyS" + std::to_string(k), "4");
    }
    for (int k = 0; k < 10; ++k) {
        AddTty("ttyUSB" + std::to_string(k));
        AddTty("ttyACM" + std::to_string(k));
    }
    for (int n = 25; n <= 35; ++n) {
        AddLink(n);
    }
    EXPECT_EQ(Discover(), Range(1, 30));
    // By name ttyACM* sorts before ttyS* and ttyUSB*.
    EXPECT_EQ(Discover(5), Range(15, 19));
}

TEST_F(PortDiscovery, WithoutSysfsTheMappedPathsAreProbed) {
    for (const char* device : {"dev/ttyS1", "dev/ttyUSB3", "dev/ttyACM0", "dev/ttyACM9"}) {
        tree.WriteFile(device, "");  // no UART type can be checked: counted
    }
    AddLink(3);
    AddLink(9, "devices/unplugged");
    AddLink(26);
    tree.MakeDir("links/COM27");  // opens for reading like a device would
    EXPECT_EQ(Discover(), (Numbers{2, 3, 8, 15, 24, 26, 27}));
    EXPECT_EQ(Discover(10), (Numbers{2, 3, 8}));
}

TEST_F(PortDiscovery, NoRoomNoPorts) {
    AddTty("ttyUSB0");
    uint16_t untouched = 0xBEEF;
    EXPECT_EQ(EnumComPorts(&untouched, 0, tree.Roots()), 0);
    EXPECT_EQ(EnumComPorts(&untouched, -3, tree.Roots()), 0);
    EXPECT_EQ(EnumComPorts(nullptr, 30, tree.Roots()), 0);
    EXPECT_EQ(untouched, 0xBEEF);
}

class PortDescription : public ::testing::Test {
protected:
    PortDescription() {
        tree.WriteFile("sys/devices/usb1/1-1/product", "FT232R USB UART\n");
        tree.MakeDir("sys/devices/usb1/1-1/1-1:1.0/ttyUSB0");
        tree.MakeLink("sys/class/tty/ttyUSB0/device", "../../../devices/usb1/1-1/1-1:1.0/ttyUSB0");
        tree.WriteFile("sys/devices/usb2/2-1/product", "Pico\n");
        tree.MakeDir("sys/devices/usb2/2-1/2-1:1.0");
        tree.MakeLink("sys/class/tty/ttyACM0/device", "../../../devices/usb2/2-1/2-1:1.0");
        tree.WriteFile("sys/class/tty/ttyS0/type", "4");
        for (const char* device : {"dev/ttyUSB0", "dev/ttyACM0", "dev/ttyS0"}) {
            tree.WriteFile(device, "");
        }
    }
    std::string Device(const std::string& relative) const {
        return std::filesystem::canonical(tree.Path(relative)).string();
    }

    TempTree tree;
};

TEST_F(PortDescription, DevicesAndLinksShowTheirPathAndUsbProduct) {
    EXPECT_EQ(DescribeComPort(5, tree.Roots()), Device("dev/ttyUSB0") + " - FT232R USB UART");
    EXPECT_EQ(DescribeComPort(15, tree.Roots()), Device("dev/ttyACM0") + " - Pico");
    EXPECT_EQ(DescribeComPort(1, tree.Roots()), Device("dev/ttyS0"));
    tree.MakeLink("links/COM7", tree.Path("dev/ttyUSB0"));
    EXPECT_EQ(DescribeComPort(7, tree.Roots()), Device("dev/ttyUSB0") + " - FT232R USB UART");
    tree.MakeLink("links/COM8", tree.Path("dev/missing"));
    EXPECT_EQ(DescribeComPort(8, tree.Roots()), tree.Path("links/COM8"));
    EXPECT_EQ(DescribeComPort(0, tree.Roots()), "");
    EXPECT_EQ(DescribeComPort(29, tree.Roots()), "");
}

TEST_F(PortDescription, ProductIsKeptPrintableShortAndInsideSysfs) {
    tree.WriteFile("sys/devices/usb1/1-1/product", "Evil\x1b[2J\x07Name" + std::string(100, 'x'));
    const std::string description = DescribeComPort(5, tree.Roots());
    const std::string product = description.substr(description.find(" - ") + 3);
    EXPECT_EQ(product.substr(0, 10), "Evil[2JNam");
    EXPECT_EQ(product.size(), 64u);

    tree.WriteFile("elsewhere/product", "Not from sysfs\n");
    tree.MakeDir("elsewhere/port");
    tree.Remove("sys/class/tty/ttyUSB0/device");
    tree.MakeLink("sys/class/tty/ttyUSB0/device", tree.Path("elsewhere/port"));
    EXPECT_EQ(DescribeComPort(5, tree.Roots()), Device("dev/ttyUSB0"));
}

}  // namespace
