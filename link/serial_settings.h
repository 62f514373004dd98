#pragma once

#include <cstdint>

// Line settings given to CSCom::OpenPort. The codes follow the classic device-control block:
// parity 0 none, 1 odd, 2 even, 3 mark, 4 space; stop bits 0 one, 1 one and a half, 2 two;
// RTS control 0 disable, 1 enable, 2 handshake, 3 toggle.
struct SerialSettings {
    uint32_t baudRate = 115200;
    uint8_t byteSize = 8;
    uint8_t parity = 0;
    uint8_t stopBits = 0;
    bool parityCheck = false;
    bool ctsOutFlow = false;
    uint8_t rtsControl = 0;
};
