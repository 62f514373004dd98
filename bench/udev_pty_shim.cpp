// Loaded into gtkterm by terminal_bench (LD_PRELOAD) so that it keeps the simulated device's
// pseudo-terminal open as it would a serial port:
//   - it keeps a port open only while udev knows its device, and a pseudo-terminal has no udev
//     entry: for the one path named by QUILLBOX_BENCH_PTY the query answers with the entry of
//     /dev/ptmx (looked up, never opened);
//   - it closes a port whose modem lines cannot be read, and a pseudo-terminal has none: reading
//     them where the terminal driver has no such call answers "no line set", as a UART without
//     modem lines would.
// Every other call goes through as it is.
#include <dlfcn.h>
#include <errno.h>
#include <sys/ioctl.h>

#include <cstdarg>
#include <cstdlib>
#include <cstring>

extern "C" void* g_udev_client_query_by_device_file(void* client, const char* file) {
    using Query = void* (*)(void*, const char*);
    static const auto real =
        reinterpret_cast<Query>(dlsym(RTLD_NEXT, "g_udev_client_query_by_device_file"));
    const char* pty = std::getenv("QUILLBOX_BENCH_PTY");
    if (pty != nullptr && file != nullptr && std::strcmp(file, pty) == 0) {
        file = "/dev/ptmx";
    }
    return real != nullptr ? real(client, file) : nullptr;
}

extern "C" int ioctl(int fd, unsigned long request, ...) {
    using Ioctl = int (*)(int, unsigned long, void*);
    static const auto real = reinterpret_cast<Ioctl>(dlsym(RTLD_NEXT, "ioctl"));
    va_list arguments;
    va_start(arguments, request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    const int result = real(fd, request, argument);
    if (result == -1 && errno == ENOTTY && request == TIOCMGET && argument != nullptr) {
        *static_cast<int*>(argument) = 0;
        return 0;
    }
    return result;
}
