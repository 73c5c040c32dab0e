// Serial ports through POSIX terminals, so that a pseudo-terminal stands in
// for a mount as well as a real port does.

#include "shell/Platform.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

speed_t SpeedFor(long baud) {
    switch (baud) {
    case 300:
        return B300;
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B9600;
    }
}

// A ttyS node exists for every possible UART; only those whose driver
// found a port (a type other than 0) are worth offering.
bool UartPresent(const std::string& device) {
    std::string name = device.substr(device.rfind('/') + 1);
    std::FILE* f = std::fopen(("/sys/class/tty/" + name + "/type").c_str(), "r");
    if (f == nullptr) return false;
    int type = 0;
    bool present = std::fscanf(f, "%d", &type) == 1 && type != 0;
    std::fclose(f);
    return present;
}

} // namespace

int OpenSerialPort(const std::string& device, long baud) {
    struct stat st {};
    // Only character devices: opening a FIFO or a file would hang or lie.
    if (stat(device.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) return -1;
    int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    termios tio{};
    // Another program holding the port (or its advisory lock) keeps it.
    if (!isatty(fd) || flock(fd, LOCK_EX | LOCK_NB) != 0 || tcgetattr(fd, &tio) != 0) {
        ::close(fd);
        return -1;
    }
    cfmakeraw(&tio);
    tio.c_cflag &= ~(CSTOPB | PARENB | CSIZE | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, SpeedFor(baud));
    cfsetospeed(&tio, SpeedFor(baud));
    if (tcsetattr(fd, TCSANOW, &tio) != 0) {
        ::close(fd);
        return -1;
    }
    ioctl(fd, TIOCEXCL);
    tcflush(fd, TCIOFLUSH);
    return fd;
}

void CloseSerialPort(int handle) {
    if (handle < 0) return;
    ioctl(handle, TIOCNXCL);
    ::close(handle);
}

long SerialBytesWaiting(int handle) {
    int waiting = 0;
    if (handle < 0 || ioctl(handle, FIONREAD, &waiting) != 0) return -1;
    if (waiting > 0) return waiting;
    // A pseudo-terminal whose far side closed, or an unplugged adapter,
    // still reports nothing waiting; the hang-up tells the difference.
    pollfd p{handle, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0) return errno == EINTR ? 0 : -1;
    return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0 ? -1 : 0;
}

long ReadSerialPort(int handle, char* buffer, long count) {
    if (handle < 0) return -1;
    if (count <= 0) return 0;
    ssize_t n = ::read(handle, buffer, static_cast<std::size_t>(count));
    if (n < 0) return errno == EAGAIN || errno == EINTR ? 0 : -1;
    return static_cast<long>(n);
}

bool WriteSerialPort(int handle, const char* data, long count) {
    if (handle < 0) return false;
    while (count > 0) {
        ssize_t n = ::write(handle, data, static_cast<std::size_t>(count));
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            // A 256-byte queue full at 300 baud drains within a second.
            usleep(1000);
            continue;
        }
        if (n <= 0) return false;
        data += n;
        count -= n;
    }
    return true;
}

std::vector<std::string> SerialDeviceNames() {
    std::vector<std::string> names;
    for (const std::string& path : MatchingPaths("/dev/ttyS*"))
        if (UartPresent(path)) names.push_back(path);
    for (const char* pattern : {"/dev/ttyUSB*", "/dev/ttyACM*", "/dev/serial/by-id/*"})
        for (const std::string& path : MatchingPaths(pattern))
            names.push_back(path);
    return names;
}
