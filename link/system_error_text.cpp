#include "link/system_error_text.h"

#include <cerrno>
#include <cstring>

namespace {

// glibc's GNU variant returns the text (maybe not in `buffer`); the XSI variant fills `buffer`.
[[maybe_unused]] const char* PickText(const char* text, const char*) {
    return text;
}
[[maybe_unused]] const char* PickText(int result, const char* buffer) {
    return result == 0 ? buffer : "Unknown error";
}

}  // namespace

std::string SystemErrorText(int error) {
    char buffer[256] = {};
    std::string text = PickText(strerror_r(error, buffer, sizeof buffer), buffer);
    switch (error) {
        case EACCES:
        case EPERM:
            text +=
                ". The user must be in the 'dialout' group to use serial ports "
                "(sudo usermod -aG dialout $USER, then log in again).";
            break;
        case EBUSY:
        case EWOULDBLOCK:
            text += ". The port is in use by another program.";
            break;
        case ENOENT:
        case ENXIO:
        case ENODEV:
            text += ". The device is not present.";
            break;
        default:
            break;
    }
    return text;
}
