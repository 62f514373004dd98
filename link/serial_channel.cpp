#include "link/serial_channel.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <system_error>
#include <utility>

#include "link/com_port_map.h"
#include "link/com_port_name.h"

namespace {

constexpr const char* kNotOpened = "The port is not opened!";
constexpr auto kWriteTimeLimit = std::chrono::milliseconds(500);
// Without a wake-up descriptor no port opens; the worker then looks at its stop flag this often.
constexpr int kUnwakeablePollMs = 100;

// The system's reason for an errno value, with a hint at what the operator can do about the
// common cases.
std::string SystemErrorText(int error) {
    const std::string text = std::generic_category().message(error);
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

bool IsFixedLine(const SerialSettings& s) {
    return s.baudRate == 115200 && s.byteSize == 8 && s.parity == 0 && s.stopBits == 0 &&
           !s.parityCheck && !s.ctsOutFlow && s.rtsControl == 0;
}

// Raw 115200 8N1, no flow control, DTR and RTS off, then both queues flushed: bytes that
// arrived before raw mode were handled by the old settings (echoed, CR made LF). 0 or errno.
int ConfigureLine(int fd) {
    termios line{};
    if (tcgetattr(fd, &line) != 0) {
        return errno;
    }
    cfmakeraw(&line);
    line.c_iflag &= ~(IXOFF | IXANY | INPCK);
    line.c_cflag &= ~(CSTOPB | CRTSCTS);
    line.c_cflag |= CLOCAL | CREAD;
    line.c_cc[VMIN] = 0;  // reads return at once with what has arrived
    line.c_cc[VTIME] = 0;
    if (cfsetspeed(&line, B115200) != 0 || tcsetattr(fd, TCSANOW, &line) != 0) {
        return errno;
    }
    int lines = TIOCM_DTR | TIOCM_RTS;
    const int error = ioctl(fd, TIOCMBIC, &lines) == 0 ? 0 : errno;
    // Pseudo-terminals and some adapters have no modem lines; that is not a failure.
    if (error != 0 && error != ENOTTY && error != EINVAL) {
        return error;
    }
    tcflush(fd, TCIOFLUSH);
    return 0;
}

// Lets go of the terminal: other descriptors of it must not keep our exclusivity. Linux
// releases the descriptor even when close reports an error, so it is never retried.
int CloseTerminal(int fd) {
    (void)ioctl(fd, TIOCNXCL);
    const int error = close(fd) == 0 ? 0 : errno;
    return error == EINTR ? 0 : error;
}

// A read that finds nothing on a line that hung up (unplugged adapter) returns 0 as well.
bool HungUp(int fd) {
    pollfd line{fd, POLLIN, 0};
    return poll(&line, 1, 0) > 0 && (line.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

// Waits until `fd` takes more output or the deadline passes; false on time-out.
bool WaitWritable(int fd, std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd writable{fd, POLLOUT, 0};
    return left.count() > 0 && poll(&writable, 1, static_cast<int>(left.count())) != 0;
}

int OpenExclusive(const std::string& path, std::string* reason) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    int error = fd < 0 ? errno : 0;
    if (fd >= 0 && !isatty(fd)) {
        error = ENOTTY;
    } else if (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) != 0) {
        error = errno;
    }
    if (error != 0) {
        if (fd >= 0) {
            close(fd);
        }
        *reason = path + ": " + SystemErrorText(error);
        return -1;
    }
    // flock holds against every program, root's too; TIOCEXCL only refuses further opens by
    // programs without the right to override it, so its result does not matter.
    (void)ioctl(fd, TIOCEXCL);
    return fd;
}

}  // namespace

CSCom::CSCom(const ComPortMap& ports, MessageSink& messages)
    : portMap(ports),
      sink(messages),
      wakeFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      wakeError(wakeFd < 0 ? errno : 0) {}

CSCom::~CSCom() {
    (void)ReleasePort();  // a destructor has nobody to tell
    if (wakeFd >= 0) {
        close(wakeFd);
    }
}

int CSCom::OpenPort(uint16_t portNumber, SerialSettings settings) {
    const std::string name = ComPortName(portNumber);
    if (portOpen.load() != 0 || !DevicePath().empty()) {  // open, or held by its owner
        ShowStandard(name + " is alreasy opened!");
        return 0;
    }
    if (!IsFixedLine(settings)) {
        sink.ShowMessage({SystemErrorText(EINVAL), "The port runs at 115200 baud 8N1 only.",
                          "Error", MessageIcon::Information});
        return 0;
    }
    const std::string path = portMap.DevicePath(portNumber);
    std::string reason = name + " is not mapped to any device.";
    if (wakeFd < 0) {
        reason = "No wake-up descriptor for the receiver: " + SystemErrorText(wakeError);
    }
    const int fd = wakeFd < 0 || path.empty() ? -1 : OpenExclusive(path, &reason);
    if (fd < 0) {
        ShowStandard("Cannot open " + name + "!", reason);
        return 0;
    }
    const int error = ConfigureLine(fd);
    if (error != 0) {
        (void)CloseTerminal(fd);
        sink.ShowMessage({SystemErrorText(error), "The line settings were refused by " + path + ".",
                          "Error", MessageIcon::Information});
        return 0;
    }
    {
        std::lock_guard<std::mutex> lock(ioMutex);
        portFd = fd;
        openPath = path;
    }
    lineLost.store(false);
    portOpen.store(1);
    Wake();  // the worker starts polling the new descriptor
    return 1;
}

int CSCom::ClosePort() {
    const int error = ReleasePort();
    if (error != 0) {
        ShowStandard("CLOSE PORT fail...", SystemErrorText(error));
        return 0;
    }
    portOpen.store(0);
    return 1;
}

int CSCom::ReleasePort() {
    int fd = -1;
    {
        std::unique_lock<std::mutex> lock(ioMutex);
        fd = std::exchange(portFd, -1);  // no new poll or read takes it from here on
        openPath.clear();
        if (portPollers > 0) {
            Wake();
            pollersGone.wait(lock, [this] { return portPollers == 0; });
        }
    }
    if (fd < 0) {
        return 0;
    }
    tcflush(fd, TCIOFLUSH);  // unsent output is discarded, not sent
    return CloseTerminal(fd);
}

int CSCom::ReadPort(char* buffer, int capacity) {
    std::unique_lock<std::mutex> lock(ioMutex);
    if (portOpen.load() != 1 || portFd < 0) {
        lock.unlock();
        if (!workerWaits.load()) {
            ShowStandard(kNotOpened);
        }
        return 0;
    }
    if (buffer == nullptr || capacity <= 0) {
        return 0;
    }
    std::memset(buffer, 0, static_cast<size_t>(capacity));
    if (lineLost.load()) {
        return 0;
    }
    ssize_t n = 0;
    int error = 0;
    do {
        n = read(portFd, buffer, static_cast<size_t>(capacity));
        error = n < 0 ? errno : 0;
    } while (error == EINTR);
    if (n > 0) {
        return static_cast<int>(n);
    }
    if (error == EAGAIN || (error == 0 && !HungUp(portFd))) {
        return 0;
    }
    lineLost.store(true);
    lock.unlock();
    ShowStandard("Fail to read file:" + std::to_string(error != 0 ? error : EIO),
                 error != 0 ? SystemErrorText(error)
                            : "The line was hung up: the device is disconnected or switched off.");
    return 0;
}

int CSCom::WritePort(const char* data, int length) {
    int fd = -1;
    {
        std::lock_guard<std::mutex> lock(ioMutex);
        fd = portFd;
    }
    if (portOpen.load() != 1 || fd < 0) {
        ShowStandard(kNotOpened);
        return 0;
    }
    const auto deadline = std::chrono::steady_clock::now() + kWriteTimeLimit;
    int written = 0;
    while (data != nullptr && written < length) {
        const ssize_t n = write(fd, data + written, static_cast<size_t>(length - written));
        const int error = n < 0 ? errno : 0;
        if (n > 0) {
            written += static_cast<int>(n);
        } else if (error != 0 && error != EINTR && error != EAGAIN) {
            ShowStandard("Fail to write file:" + std::to_string(error), SystemErrorText(error));
            return 0;
        } else if (error != EINTR && !WaitWritable(fd, deadline)) {
            break;  // time is up: the count so far, no message
        }
    }
    return written;
}

void CSCom::WaitForInput() {
    workerWaits.store(true);
    int fd = -1;
    {
        std::lock_guard<std::mutex> lock(ioMutex);
        if (portFd >= 0 && portOpen.load() == 1 && !lineLost.load()) {
            fd = portFd;
            ++portPollers;
        }
    }
    // poll() skips negative descriptors: with no port only the wake-up is watched.
    pollfd fds[2] = {{wakeFd, POLLIN, 0}, {fd, POLLIN, 0}};
    if (poll(fds, 2, wakeFd < 0 ? kUnwakeablePollMs : -1) > 0 && (fds[0].revents & POLLIN) != 0) {
        uint64_t count = 0;
        (void)!read(wakeFd, &count, sizeof count);  // one read empties an eventfd
    }
    if (fd >= 0) {
        std::lock_guard<std::mutex> lock(ioMutex);
        --portPollers;
        pollersGone.notify_all();
    }
}

void CSCom::Wake() {
    const uint64_t one = 1;
    while (wakeFd >= 0 && write(wakeFd, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

std::string CSCom::DevicePath() const {
    std::lock_guard<std::mutex> lock(ioMutex);
    return openPath;
}

void CSCom::ShowStandard(const std::string& text, const std::string& detail) {
    sink.ShowMessage({text, detail, "", MessageIcon::Warning});
}
