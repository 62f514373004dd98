#include "link/serial_channel.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <utility>

#include "link/com_port_map.h"
#include "link/com_port_name.h"
#include "link/system_error_text.h"

namespace {

constexpr const char* kNotOpened = "The port is not opened!";
constexpr auto kWriteTimeLimit = std::chrono::milliseconds(500);
// A port that poll() keeps calling readable while read() finds nothing is gone.
constexpr int kEmptyReadableLimit = 3;

struct SpeedEntry {
    uint32_t rate;
    speed_t code;
};

constexpr SpeedEntry kSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

bool SpeedCode(uint32_t rate, speed_t* code) {
    for (const SpeedEntry& entry : kSpeeds) {
        if (entry.rate == rate) {
            *code = entry.code;
            return true;
        }
    }
    return false;
}

// Character size, parity and stop bits as control flags; false for codes the line cannot do.
bool FramingFlags(const SerialSettings& settings, tcflag_t* flags) {
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    static constexpr tcflag_t kParities[] = {0, PARENB | PARODD, PARENB, PARENB | PARODD | CMSPAR,
                                             PARENB | CMSPAR};
    if (settings.byteSize < 5 || settings.byteSize > 8 || settings.parity > 4 ||
        settings.stopBits > 2) {
        return false;
    }
    // One and a half stop bits is what a UART sends for CSTOPB with 5-bit characters.
    *flags = kSizes[settings.byteSize - 5] | kParities[settings.parity] |
             (settings.stopBits != 0 ? CSTOPB : 0) | (settings.ctsOutFlow ? CRTSCTS : 0);
    return true;
}

constexpr tcflag_t kFramingMask = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;

// Pseudo-terminals and some adapters have no modem lines; that is not a failure.
int ModemControl(int fd, unsigned long request, int lines) {
    if (ioctl(fd, request, &lines) == 0 || errno == ENOTTY || errno == EINVAL) {
        return 0;
    }
    return errno;
}

bool IsPermanentReadError(int error) {
    return error == EIO || error == ENXIO || error == ENODEV || error == EBADF;
}

void DrainWake(int fd) {
    uint64_t count = 0;
    while (read(fd, &count, sizeof count) < 0 && errno == EINTR) {
    }
}

// Waits until `fd` takes more output or the deadline passes; false on time-out.
bool WaitWritable(int fd, std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
        return false;
    }
    pollfd writable{fd, POLLOUT, 0};
    const int ready = poll(&writable, 1, static_cast<int>(left.count()));
    return ready != 0;  // errors and hang-ups show in the next write
}

}  // namespace

CSCom::CSCom(const ComPortMap& ports, MessageSink& messages) : portMap(ports), sink(messages) {
    wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    wakeFdError = wakeFd < 0 ? errno : 0;
}

CSCom::~CSCom() {
    std::unique_lock<std::mutex> lock(ioMutex);
    if (portFd >= 0) {
        (void)ReleaseLocked(lock);  // a destructor has nobody to tell
    }
    if (wakeFd >= 0) {
        close(wakeFd);
    }
}

int CSCom::OpenPort(uint16_t portNumber, SerialSettings settings) {
    const std::string name = ComPortName(portNumber);
    bool held = false;
    {
        std::lock_guard<std::mutex> lock(ioMutex);
        held = portFd >= 0;
    }
    if (portOpen.load() != 0 || held) {
        ShowStandard(name + " is alreasy opened!");
        return 0;
    }
    const std::string cannotOpen = "Cannot open " + name + "!";
    if (wakeFd < 0) {
        ShowStandard(cannotOpen,
                     "No wake-up descriptor for the receiver: " + SystemErrorText(wakeFdError));
        return 0;
    }
    const std::string path = portMap.DevicePath(portNumber);
    std::string detail = name + " is not mapped to any device.";
    const int fd = path.empty() ? -1 : OpenExclusive(path, &detail);
    if (fd < 0) {
        ShowStandard(cannotOpen, detail);
        return 0;
    }
    {
        std::lock_guard<std::mutex> lock(ioMutex);
        portFd = fd;
        openPath = path;
        // The worker may be on its way to read after a wait that began with the port closed:
        // a close from now on races it, as after a wait that saw the port open.
        waitSawOpen = waitSawOpen || workerWaits;
    }
    tcflush(fd, TCIOFLUSH);  // nothing received or queued before the open survives
    int error = ApplySettings(fd, settings);
    if (error == 0) {
        error = SetModemLines(fd, settings);
    }
    if (error != 0) {
        sink.ShowMessage({SystemErrorText(error), "The line settings were refused by " + path + ".",
                          "Error", MessageIcon::Information});
        ClosePort();
        return 0;
    }
    lineLost.store(false);
    portOpen.store(1);
    Wake();  // the worker starts polling the new descriptor
    return 1;
}

int CSCom::OpenExclusive(const std::string& path, std::string* detail) {
    // Only terminals are opened: opening some other devices has effects of its own.
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && !S_ISCHR(info.st_mode)) {
        *detail = path + " is not a serial port.";
        return -1;
    }
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *detail = path + ": " + SystemErrorText(errno);
        return -1;
    }
    if (fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode) || !isatty(fd)) {
        close(fd);
        *detail = path + " is not a serial port.";
        return -1;
    }
    // flock is what holds against every program, root's too; TIOCEXCL only refuses further
    // opens by programs without the right to override it, so its result does not matter.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        close(fd);
        *detail = path + ": " + SystemErrorText(error);
        return -1;
    }
    (void)ioctl(fd, TIOCEXCL);
    return fd;
}

int CSCom::ApplySettings(int fd, const SerialSettings& settings) {
    speed_t speed = B0;
    tcflag_t framing = 0;
    termios line{};
    if (!SpeedCode(settings.baudRate, &speed) || !FramingFlags(settings, &framing)) {
        return EINVAL;
    }
    if (tcgetattr(fd, &line) != 0) {
        return errno;
    }
    cfmakeraw(&line);
    line.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    line.c_iflag |= settings.parityCheck ? INPCK : 0;
    line.c_cflag &= ~(kFramingMask | CRTSCTS);
    line.c_cflag |= framing | CLOCAL | CREAD;
    line.c_cc[VMIN] = 0;  // reads return at once with what has arrived
    line.c_cc[VTIME] = 0;
    if (cfsetispeed(&line, speed) != 0 || cfsetospeed(&line, speed) != 0 ||
        tcsetattr(fd, TCSANOW, &line) != 0) {
        return errno;
    }
    // tcsetattr succeeds when any part was taken; a driver may keep its own framing.
    termios applied{};
    if (tcgetattr(fd, &applied) != 0) {
        return errno;
    }
    const bool taken = cfgetospeed(&applied) == speed && cfgetispeed(&applied) == speed &&
                       (applied.c_cflag & kFramingMask) == (line.c_cflag & kFramingMask);
    return taken ? 0 : EINVAL;
}

int CSCom::SetModemLines(int fd, const SerialSettings& settings) {
    const bool rtsOn = settings.rtsControl == 1;
    const int error = ModemControl(fd, TIOCMBIC, TIOCM_DTR | (rtsOn ? 0 : TIOCM_RTS));
    return error != 0 || !rtsOn ? error : ModemControl(fd, TIOCMBIS, TIOCM_RTS);
}

int CSCom::ClosePort() {
    std::unique_lock<std::mutex> lock(ioMutex);
    if (portFd < 0) {
        return 1;
    }
    const int error = ReleaseLocked(lock);
    lock.unlock();
    if (error != 0) {
        ShowStandard("CLOSE PORT fail...", SystemErrorText(error));
        return 0;
    }
    portOpen.store(0);
    return 1;
}

int CSCom::ReleaseLocked(std::unique_lock<std::mutex>& lock) {
    const int fd = portFd;
    tcflush(fd, TCIOFLUSH);  // unsent output is discarded, not sent
    closing = true;
    if (portPollers > 0) {
        Wake();
    }
    ioIdle.wait(lock, [this] { return portPollers == 0; });
    // Other descriptors of this terminal must not keep our exclusivity after we let go.
    (void)ioctl(fd, TIOCNXCL);
    flock(fd, LOCK_UN);
    const int error = close(fd) == 0 || errno == EINTR ? 0 : errno;
    // Linux releases the descriptor even when close reports an error: never close it twice.
    portFd = -1;
    closing = false;
    hangUpSeen = false;
    readableSeen = false;
    readFailing = false;
    emptyReadableReads = 0;
    openPath.clear();
    return error;
}

int CSCom::ReadPort(char* buffer, int capacity) {
    std::unique_lock<std::mutex> lock(ioMutex);
    // A close since the worker's last wait began raced its reads (all of them until the
    // next wait, the drain loop reads several times); that is not a misuse.
    const bool closedUnderWorker = waitSawOpen;
    if (portOpen.load() != 1 || portFd < 0) {
        lock.unlock();
        if (!closedUnderWorker) {
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
    do {
        n = read(portFd, buffer, static_cast<size_t>(capacity));
    } while (n < 0 && errno == EINTR);
    const int error = n < 0 ? errno : 0;
    const bool wasReadable = std::exchange(readableSeen, false);
    if (n > 0) {
        emptyReadableReads = 0;
        readFailing = false;
        return static_cast<int>(n);
    }
    if (n < 0 && error != EAGAIN && error != EWOULDBLOCK) {
        ReadFailed(error, lock);
        return 0;
    }
    readFailing = false;
    emptyReadableReads += wasReadable ? 1 : 0;
    if (hangUpSeen || emptyReadableReads >= kEmptyReadableLimit) {
        ReportLineLost(lock);
    }
    return 0;
}

void CSCom::ReadFailed(int error, std::unique_lock<std::mutex>& lock) {
    // One message per run of failures; a failure that repeats will not go away.
    const bool first = !readFailing;
    readFailing = true;
    if (IsPermanentReadError(error) || !first) {
        lineLost.store(true);
    }
    lock.unlock();
    if (first) {
        ShowStandard("Fail to read file:" + std::to_string(error), SystemErrorText(error));
    }
}

void CSCom::ReportLineLost(std::unique_lock<std::mutex>& lock) {
    lineLost.store(true);
    lock.unlock();
    ShowStandard("Fail to read file:" + std::to_string(EIO),
                 "The line was hung up: the device has been disconnected or switched off.");
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
    if (data == nullptr || length <= 0) {
        return 0;
    }
    const auto deadline = std::chrono::steady_clock::now() + kWriteTimeLimit;
    int written = 0;
    while (written < length) {
        const ssize_t n = write(fd, data + written, static_cast<size_t>(length - written));
        if (n > 0) {
            written += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            const int error = errno;
            ShowStandard("Fail to write file:" + std::to_string(error), SystemErrorText(error));
            return 0;
        }
        if (!WaitWritable(fd, deadline)) {
            break;  // time is up: the count so far, no message
        }
    }
    return written;
}

void CSCom::WaitForInput() {
    if (wakeFd < 0) {
        WaitWithoutDescriptor();
        return;
    }
    int fd = -1;
    {
        std::lock_guard<std::mutex> lock(ioMutex);
        workerWaits = true;
        waitSawOpen = portFd >= 0 && portOpen.load() == 1 && !closing && !lineLost.load();
        if (waitSawOpen) {
            fd = portFd;
            ++portPollers;
        }
    }
    pollfd fds[2] = {{wakeFd, POLLIN, 0}, {fd, POLLIN, 0}};
    const int ready = poll(fds, fd >= 0 ? 2 : 1, -1);
    if (ready > 0 && (fds[0].revents & POLLIN) != 0) {
        DrainWake(wakeFd);
    }
    if (fd < 0) {
        return;
    }
    std::lock_guard<std::mutex> lock(ioMutex);
    --portPollers;
    if (ready > 0) {
        hangUpSeen = hangUpSeen || (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
        readableSeen = (fds[1].revents & POLLIN) != 0;
    }
    ioIdle.notify_all();
}

void CSCom::WaitWithoutDescriptor() {
    std::unique_lock<std::mutex> lock(wakeMutex);
    wakeSignal.wait(lock, [this] { return wakeRequested; });
    wakeRequested = false;
}

void CSCom::Wake() {
    if (wakeFd >= 0) {
        const uint64_t one = 1;
        while (write(wakeFd, &one, sizeof one) < 0 && errno == EINTR) {
        }
        return;
    }
    {
        std::lock_guard<std::mutex> lock(wakeMutex);
        wakeRequested = true;
    }
    wakeSignal.notify_all();
}

std::string CSCom::DevicePath() const {
    std::lock_guard<std::mutex> lock(ioMutex);
    return openPath;
}

void CSCom::ShowStandard(const std::string& text, const std::string& detail) {
    sink.ShowMessage({text, detail, "", MessageIcon::Warning});
}
