// Received bytes of any shape, cut into reads of any size, through line assembly and the
// received-line table while View, Write or Erase All is under way. Only crashes, sanitizer
// reports and hangs count as findings.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include <string>

#include "fake_host.h"

namespace {

void StartOperation(uint8_t choice, ScriptOperations& operations) {
    switch (choice % 4) {
        case 0:
            operations.OnViewScript();
            break;
        case 1:
            operations.OnWriteScript();
            break;
        case 2:
            operations.OnEraseAllScript();
            break;
        default:
            break;  // idle: lines are only logged
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    FakeHost host({"!PA 10.0.0.1", "!PP 1470"}, {});
    ScriptOperations& operations = host.ops;
    StartOperation(data[0], operations);
    long long now = 200;
    host.AdvanceTo(now);

    const int readSize = data[1] % LINE_BUFFER_SIZE + 1;
    for (size_t offset = 2; offset < size; offset += readSize) {
        const size_t count = std::min<size_t>(readSize, size - offset);
        host.Receive(std::string(reinterpret_cast<const char*>(data + offset), count));
        host.AdvanceTo(now += 100);
    }
    return 0;
}
