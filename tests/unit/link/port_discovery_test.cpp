#include "link/port_discovery.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/unit/link/temp_tree.h"

namespace {

constexpr int kDialogCapacity = 30;

std::vector<uint16_t> Discover(const TempTree& tree, int capacity = kDialogCapacity) {
    std::vector<uint16_t> ports(static_cast<size_t>(capacity) + 1, 0xBEEF);
    const int count = EnumComPorts(ports.data(), capacity, tree.Roots());
    EXPECT_GE(count, 0);
    EXPECT_LE(count, capacity);
    EXPECT_EQ(ports[static_cast<size_t>(capacity)], 0xBEEF) << "written past the capacity";
    ports.resize(static_cast<size_t>(count < 0 ? 0 : count));
    return ports;
}

std::vector<uint16_t> Range(uint16_t first, uint16_t last) {
    std::vector<uint16_t> numbers;
    for (unsigned n = first; n <= last; ++n) {
        numbers.push_back(static_cast<uint16_t>(n));
    }
    return numbers;
}

class PortDiscovery : public ::testing::Test {
protected:
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
    AddTty("ttyUSB0");
    AddTty("ttyACM2");
    AddTty("tty0");
    AddTty("console");
    AddTty("ptmx");
    EXPECT_EQ(Discover(tree), (std::vector<uint16_t>{1, 4, 5, 17}));
}

TEST_F(PortDiscovery, LinksAddNumbersOnceAndDanglingOnesAreSkipped) {
    tree.MakeDir("sys/class/tty");
    AddTty("ttyUSB0");
    AddLink(5);  // overrides ttyUSB0: listed once
    AddLink(3);
    AddLink(31);  // found; the dialog decides not to offer it
    AddLink(99);
    AddLink(7, "devices/unplugged");
    tree.MakeLink("links/COM05", tree.Path("devices/real"));
    tree.MakeLink("links/COMx", tree.Path("devices/real"));
    tree.WriteFile("links/notes.txt", "");
    EXPECT_EQ(Discover(tree), (std::vector<uint16_t>{3, 5, 31, 99}));
}

TEST_F(PortDiscovery, ResultIsSortedAscending) {
    tree.MakeDir("sys/class/tty");
    AddLink(3);
    AddLink(1);
    AddLink(12);
    EXPECT_EQ(Discover(tree), (std::vector<uint16_t>{1, 3, 12}));
}

TEST_F(PortDiscovery, CapacityCutsInDiscoveryOrderBeforeSorting) {
    tree.MakeDir("sys/class/tty");
    for (int n = 1; n <= 35; ++n) {
        AddLink(n);
    }
    // By name COM1, COM10..COM19, COM2, COM20..COM29, COM3, COM30..COM35 and COM4 come
    // first: COM5 to COM9 are among the five dropped although their numbers are small.
    std::vector<uint16_t> expected = Range(1, 4);
    const std::vector<uint16_t> high = Range(10, 35);
    expected.insert(expected.end(), high.begin(), high.end());
    EXPECT_EQ(Discover(tree), expected);
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
    EXPECT_EQ(Discover(tree), Range(1, 30));
    // By name ttyACM* sorts before ttyS* and ttyUSB*.
    EXPECT_EQ(Discover(tree, 5), Range(15, 19));
}

TEST_F(PortDiscovery, WithoutSysfsTheMappedPathsAreProbed) {
    tree.WriteFile("dev/ttyS1", "");  // no UART type can be checked: counted
    tree.WriteFile("dev/ttyUSB3", "");
    tree.WriteFile("dev/ttyACM0", "");
    tree.WriteFile("dev/ttyACM9", "");
    AddLink(3);
    AddLink(9, "devices/unplugged");
    AddLink(26);
    tree.MakeDir("links/COM27");  // opens for reading like a device would
    EXPECT_EQ(Discover(tree), (std::vector<uint16_t>{2, 3, 8, 15, 24, 26, 27}));
    EXPECT_EQ(Discover(tree, 10), (std::vector<uint16_t>{2, 3, 8}));
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
        tree.WriteFile("dev/ttyUSB0", "");
        tree.WriteFile("dev/ttyACM0", "");
        tree.WriteFile("dev/ttyS0", "");
    }
    std::string Device(const std::string& relative) const {
        return std::filesystem::canonical(tree.Path(relative)).string();
    }

    TempTree tree;
};

TEST_F(PortDescription, UsbAdaptersShowTheirProduct) {
    EXPECT_EQ(DescribeComPort(5, tree.Roots()), Device("dev/ttyUSB0") + " - FT232R USB UART");
    EXPECT_EQ(DescribeComPort(15, tree.Roots()), Device("dev/ttyACM0") + " - Pico");
    EXPECT_EQ(DescribeComPort(1, tree.Roots()), Device("dev/ttyS0"));
}

TEST_F(PortDescription, LinkIsDescribedByItsDevice) {
    tree.MakeLink("links/COM7", tree.Path("dev/ttyUSB0"));
    EXPECT_EQ(DescribeComPort(7, tree.Roots()), Device("dev/ttyUSB0") + " - FT232R USB UART");
    tree.MakeLink("links/COM8", tree.Path("dev/missing"));
    EXPECT_EQ(DescribeComPort(8, tree.Roots()), tree.Path("links/COM8"));
}

TEST_F(PortDescription, UnmappedNumberHasNoDescription) {
    EXPECT_EQ(DescribeComPort(0, tree.Roots()), "");
    EXPECT_EQ(DescribeComPort(29, tree.Roots()), "");
}

TEST_F(PortDescription, ProductTextIsKeptPrintableAndShort) {
    tree.WriteFile("sys/devices/usb1/1-1/product", "Evil\x1b[2J\x07Name" + std::string(100, 'x'));
    const std::string description = DescribeComPort(5, tree.Roots());
    const std::string product = description.substr(description.find(" - ") + 3);
    EXPECT_EQ(product.substr(0, 10), "Evil[2JNam");
    EXPECT_EQ(product.size(), 64u);
}

TEST_F(PortDescription, NothingOutsideTheSysfsTreeIsRead) {
    tree.WriteFile("elsewhere/product", "Not from sysfs\n");
    tree.MakeDir("elsewhere/port");
    tree.Remove("sys/class/tty/ttyUSB0/device");
    tree.MakeLink("sys/class/tty/ttyUSB0/device", tree.Path("elsewhere/port"));
    EXPECT_EQ(DescribeComPort(5, tree.Roots()), Device("dev/ttyUSB0"));
}

}  // namespace
