#include "serial/TtyDevice.h"

#include <win/errors.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace plat::serial {
namespace {

DWORD openError(int err)
{
    switch (err) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
    case EIO:
    case ENOTDIR:
        return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EBUSY:
    case EWOULDBLOCK:
        return ERROR_ACCESS_DENIED;
    default:
        return ERROR_GEN_FAILURE;
    }
}

speed_t speedFor(unsigned baud)
{
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 230400: return B230400;
    default: return B115200;
    }
}

} // namespace

ExclusiveTty::~ExclusiveTty()
{
    Close();
}

ExclusiveTty& ExclusiveTty::operator=(ExclusiveTty&& other) noexcept
{
    if (this != &other) {
        Close();
        m_fd = std::move(other.m_fd);
    }
    return *this;
}

void ExclusiveTty::Close()
{
    if (m_fd)
        ::ioctl(m_fd.Get(), TIOCNXCL);
    m_fd.Reset(); // the flock goes with the descriptor
}

ExclusiveTty ExclusiveTty::Open(const std::string& path, unsigned baud, DWORD* error)
{
    ExclusiveTty tty;
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd) {
        *error = openError(errno);
        return tty;
    }
    if (!::isatty(fd.Get())) {
        *error = ERROR_FILE_NOT_FOUND;
        return tty;
    }
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
        *error = openError(errno);
        return tty;
    }
    termios tio{};
    if (::tcgetattr(fd.Get(), &tio) == 0) {
        ::cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tio.c_cc[VMIN] = 1;
        tio.c_cc[VTIME] = 0;
        if (baud != 0)
            ::cfsetspeed(&tio, speedFor(baud));
        ::tcsetattr(fd.Get(), TCSANOW, &tio);
    }
    ::ioctl(fd.Get(), TIOCEXCL);
    ::tcflush(fd.Get(), TCIOFLUSH);
    tty.m_fd = std::move(fd);
    *error = 0;
    return tty;
}

} // namespace plat::serial
