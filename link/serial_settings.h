#pragma once

#include <cstdint>

// Line settings given to CSCom::OpenPort, in the codes of the classic device-control block
// (parity 0 none, stop bits 0 one, RTS control 0 off). The channel refuses all but these.
struct SerialSettings {
    uint32_t baudRate = 115200;
    uint8_t byteSize = 8;
    uint8_t parity = 0;
    uint8_t stopBits = 0;
    bool parityCheck = false;
    bool ctsOutFlow = false;
    uint8_t rtsControl = 0;
};
