#include "child.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace child {
namespace {

// Throws the error in errno, naming what failed.
[[noreturn]] void fail(const char* what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

// Throws if result, an error number as posix_spawn's calls return it, is not 0.
void check(int result, const char* what)
{
    if (result != 0) {
        errno = result;
        fail(what);
    }
}

// Returns a pipe's read and write ends, closed in the child unless handed to it.
std::array<int, 2> make_pipe()
{
    std::array<int, 2> ends{};
    if (pipe2(ends.data(), O_CLOEXEC) != 0) {
        fail("pipe2");
    }
    return ends;
}

// Closes fd if it is open and marks it closed.
void close_fd(int& fd)
{
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

// Returns the milliseconds left until deadline, 0 once it has passed.
int milliseconds_until(Clock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

// Reads what is waiting on fd into text; closes fd at end of file.
void drain(int& fd, std::string& text)
{
    std::array<char, 65536> buffer{};
    const ssize_t n = read(fd, buffer.data(), buffer.size());
    if (n > 0) {
        text.append(buffer.data(), static_cast<std::size_t>(n));
    } else if (n == 0 || errno != EAGAIN) {
        close_fd(fd);
    }
}

// Reaps pid. Returns its exit status, or minus the signal that ended it.
int wait_for(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            fail("waitpid");
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

// Writes what poll found room for; at the end of the input, starts over or
// closes the child's standard input as then says.
void feed(Process& process, std::string_view& left, std::string_view input, Then then)
{
    const ssize_t n = write(process.in, left.data(), left.size());
    if (n < 0) {
        if (errno != EAGAIN) {
            close_fd(process.in);  // the child has gone
        }
        return;
    }
    left.remove_prefix(static_cast<std::size_t>(n));
    if (left.empty() && then == Then::Repeat) {
        left = input;
    } else if (left.empty() && then == Then::Close) {
        close_fd(process.in);
    }
}

}  // namespace

bool windows()
{
    return std::getenv("VELKA_WINE") != nullptr;
}

Process start(Input input, Output output, const std::vector<std::string>& wrapper)
{
    // The test writes to a child that may have gone; that must not kill it.
    (void)std::signal(SIGPIPE, SIG_IGN);

    posix_spawn_file_actions_t actions{};
    posix_spawnattr_t attributes{};
    check(posix_spawn_file_actions_init(&actions), "spawn actions");
    check(posix_spawnattr_init(&attributes), "spawn attributes");

    Process process;
    std::vector<int> theirs;
    auto give = [&](int fd, int target) {
        check(posix_spawn_file_actions_adddup2(&actions, fd, target), "dup2 action");
        theirs.push_back(fd);
    };
    auto pipe_to = [&](int target, bool child_reads) {
        const auto ends = make_pipe();
        give(child_reads ? ends[0] : ends[1], target);
        const int ours = child_reads ? ends[1] : ends[0];
        fcntl(ours, F_SETFL, O_NONBLOCK);
        return ours;
    };

    switch (input) {
    case Input::Pipe:
        process.in = pipe_to(STDIN_FILENO, true);
        break;
    case Input::Directory:
        check(posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/", O_RDONLY, 0), "open");
        break;
    case Input::Closed:
        check(posix_spawn_file_actions_addclose(&actions, STDIN_FILENO), "close");
        break;
    }
    switch (output) {
    case Output::Pipe:
    case Output::Leaves:
        process.out = pipe_to(STDOUT_FILENO, false);
        break;
    case Output::Full:
        check(posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/full", O_WRONLY, 0),
              "open");
        break;
    case Output::Closed:
        check(posix_spawn_file_actions_addclose(&actions, STDOUT_FILENO), "close");
        break;
    case Output::Broken: {
        auto ends = make_pipe();
        close_fd(ends[0]);
        give(ends[1], STDOUT_FILENO);
        break;
    }
    }
    process.err = pipe_to(STDERR_FILENO, false);

    // SIGPIPE stays ignored only where the test asks for it.
    sigset_t defaults;
    sigemptyset(&defaults);
    if (output != Output::Broken && output != Output::Leaves) {
        sigaddset(&defaults, SIGPIPE);
    }
    check(posix_spawnattr_setsigdefault(&attributes, &defaults), "signal defaults");
    check(posix_spawnattr_setpgroup(&attributes, 0), "process group");
    check(posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF),
          "spawn flags");

    std::vector<std::string> words = wrapper;
    if (windows()) {
        words.emplace_back("wine");
        words.emplace_back(std::getenv("VELKA_WINE"));
    } else {
        words.emplace_back(VELKA_PATH);
    }
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (auto& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const int spawned =
        posix_spawnp(&process.pid, argv[0], &actions, &attributes, argv.data(), environ);
    for (int fd : theirs) {
        close(fd);
    }
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    check(spawned, "posix_spawnp");
    return process;
}

bool read_until(Process& process, std::string& seen, std::string_view text,
                Clock::time_point deadline)
{
    auto ends_with = [&] {
        return seen.size() >= text.size() &&
               seen.compare(seen.size() - text.size(), text.size(), text) == 0;
    };
    while (!ends_with()) {
        pollfd wanted{process.out, POLLIN, 0};
        if (process.out < 0 || poll(&wanted, 1, milliseconds_until(deadline)) <= 0) {
            return false;
        }
        drain(process.out, seen);
    }
    return true;
}

void type(Process& process, std::string_view text)
{
    while (!text.empty()) {
        pollfd wanted{process.in, POLLOUT, 0};
        poll(&wanted, 1, 1000);
        const ssize_t n = write(process.in, text.data(), text.size());
        if (n < 0 && errno != EAGAIN) {
            return;
        }
        text.remove_prefix(n > 0 ? static_cast<std::size_t>(n) : 0);
    }
}

Result finish(Process& process, std::string_view input, Then then, Clock::time_point deadline)
{
    Result result;
    std::string_view left = input;
    if (then == Then::Close && left.empty()) {
        close_fd(process.in);
    }
    while ((process.in >= 0 && !left.empty()) || process.out >= 0 || process.err >= 0) {
        // Held input with nothing left to feed is not polled (a negative fd).
        const int feeding = left.empty() ? -1 : process.in;
        std::array<pollfd, 3> wanted{
            {{feeding, POLLOUT, 0}, {process.out, POLLIN, 0}, {process.err, POLLIN, 0}}};
        if (poll(wanted.data(), wanted.size(), milliseconds_until(deadline)) <= 0 &&
            Clock::now() >= deadline) {
            result.timed_out = true;
            kill(-process.pid, SIGKILL);  // the child and all it started
            break;
        }
        if (wanted[0].revents != 0) {
            feed(process, left, input, then);
        }
        if (wanted[1].revents != 0) {
            drain(process.out, result.out);
        }
        if (wanted[2].revents != 0) {
            drain(process.err, result.err);
        }
    }
    close_fd(process.in);
    close_fd(process.out);
    close_fd(process.err);
    result.status = wait_for(process.pid);
    return result;
}

Result run(std::string_view input, Input in, Output out, std::chrono::milliseconds limit,
           const std::vector<std::string>& wrapper)
{
    const auto deadline = Clock::now() + limit;
    Process process = start(in, out, wrapper);
    return finish(process, input, Then::Close, deadline);
}

void leave(Process& process)
{
    close_fd(process.out);
}

}  // namespace child
