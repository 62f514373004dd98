#include "link/system_error_text.h"

#include <cerrno>
#include <system_error>

std::string SystemErrorText(int error) {
    std::string text = std::generic_category().message(error);
    switch (error) {
        case EACCES:
        case EPERM:
            return text +
                   ". The user must be in the 'dialout' group to use serial ports "
                   "(sudo usermod -aG dialout $USER, then log in again).";
        case EBUSY:
        case EWOULDBLOCK:
            return text + ". The port is in use by another program.";
        case ENOENT:
        case ENXIO:
        case ENODEV:
            return text + ". The device is not present.";
        case ENOTTY:
            return text + ". It is not a serial port.";
        default:
            return text;
    }
}
