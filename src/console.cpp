#include "console.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace console {
namespace {

// Writes up to size bytes of data to fd. Returns how many, or -1 with errno set.
long write_some(int fd, const char* data, std::size_t size);

// Reads up to size bytes from fd into data. Returns how many, 0 at end of
// input, or -1 with errno set.
long read_some(int fd, char* data, std::size_t size);

// Puts fd in binary mode where the system has a text mode for it.
void set_binary(int fd);

#ifdef _WIN32
long write_some(int fd, const char* data, std::size_t size)
{
    const int done = _write(fd, data, static_cast<unsigned>(std::min<std::size_t>(size, INT_MAX)));
    // The C library calls a pipe whose reader has gone an invalid argument.
    const DWORD why = done < 0 ? GetLastError() : 0;
    if (why == ERROR_BROKEN_PIPE || why == ERROR_NO_DATA || why == ERROR_PIPE_NOT_CONNECTED) {
        errno = EPIPE;
    }
    return done;
}

long read_some(int fd, char* data, std::size_t size)
{
    return _read(fd, data, static_cast<unsigned>(std::min<std::size_t>(size, INT_MAX)));
}

// Output is binary, so that a line end is one line feed as on every other
// system; input keeps Windows' text mode, where CR LF reads as a line end.
void set_binary(int fd)
{
    (void)_setmode(fd, _O_BINARY);
}
#else
long write_some(int fd, const char* data, std::size_t size)
{
    return static_cast<long>(write(fd, data, std::min<std::size_t>(size, SSIZE_MAX)));
}

long read_some(int fd, char* data, std::size_t size)
{
    return static_cast<long>(read(fd, data, std::min<std::size_t>(size, SSIZE_MAX)));
}

void set_binary(int /*fd*/)
{
}
#endif

}  // namespace

Output::Output(int fd) : fd_(fd)
{
    set_binary(fd);
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

// Writes out everything pending, retrying an interrupted or partial write.
// Returns false, and keeps the reason, if a write fails or one has failed.
bool Output::drain()
{
    if (error_ != 0) {
        return false;
    }
    const char* data = pbase();
    auto left = static_cast<std::size_t>(pptr() - pbase());
    while (left > 0) {
        const long done = write_some(fd_, data, left);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done < 0) {
            error_ = errno;
            // No room, at a valid address: every later write goes to overflow, and fails.
            setp(buffer_.data(), buffer_.data());
            return false;
        }
        data += done;
        left -= static_cast<std::size_t>(done);
    }
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return true;
}

// Takes size bytes of text into the buffer, writing out what fills it.
// Returns how many bytes it took: fewer only after a failed write.
std::streamsize Output::xsputn(const char* text, std::streamsize size)
{
    if (size > epptr() - pptr()) {
        return std::streambuf::xsputn(text, size);  // fills the buffer, writes it out, goes on
    }
    std::memcpy(pptr(), text, static_cast<std::size_t>(size));
    pbump(static_cast<int>(size));
    return size;
}

// Writes out the full buffer, then takes c. Returns eof if a write failed.
Output::int_type Output::overflow(int_type c)
{
    if (!drain()) {
        return traits_type::eof();
    }
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

// Writes out everything pending. Returns 0, or -1 if a write failed.
int Output::sync()
{
    return drain() ? 0 : -1;
}

Input::Input(int fd) : fd_(fd)
{
}

// Reads the next block once the last is used up. Returns its first byte, or
// eof at the end of input or once a read has failed.
Input::int_type Input::underflow()
{
    if (gptr() < egptr()) {
        return traits_type::to_int_type(*gptr());
    }
    if (error_ != 0) {
        return traits_type::eof();
    }
    long done = 0;
    do {
        done = read_some(fd_, buffer_.data(), buffer_.size());
    } while (done < 0 && errno == EINTR);
    if (done < 0) {
        error_ = errno;
    }
    if (done <= 0) {
        return traits_type::eof();
    }
    setg(buffer_.data(), buffer_.data(), buffer_.data() + done);
    return traits_type::to_int_type(*gptr());
}

}  // namespace console
