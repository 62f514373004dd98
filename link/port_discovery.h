#pragma once

#include <cstdint>
#include <string>

#include "link/com_port_map.h"

// Finds the COM numbers that exist under the mapping of ComPortMap: real UARTs (UART type not
// unknown), USB-serial and CDC-ACM devices from sysfs, and the usable per-user links to a
// character device. At most `capacity` numbers are taken, in discovery order, before they are
// sorted ascending. When sysfs cannot be read, the paths of COM1..COM<capacity> are looked at
// with stat() (never opened). Returns the number of entries filled.
int EnumComPorts(uint16_t* portNumbers, int capacity, const PortRoots& roots = PortRoots());

// A tooltip for COM number n: its device path, and the USB product where sysfs gives one.
std::string DescribeComPort(uint16_t portNumber, const PortRoots& roots = PortRoots());
