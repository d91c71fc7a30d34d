#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

// Runs the built game as a child process in a process group of its own, so
// that a test can bound it in time and kill everything it started.
namespace child {

using Clock = std::chrono::steady_clock;

// Where the child's standard input comes from.
enum class Input {
    Pipe,       // a pipe the test writes to
    Directory,  // a directory, which cannot be read
    Closed,     // no descriptor at all
};

// Where the child's standard output goes.
enum class Output {
    Pipe,    // a pipe the test reads
    Full,    // /dev/full, where every write fails
    Closed,  // no descriptor at all
    Broken,  // a pipe with no reader, and SIGPIPE ignored
    Leaves,  // a pipe the test reads and may close, and SIGPIPE ignored
};

// What becomes of the child's standard input once the test's input is fed.
enum class Then {
    Close,   // it is closed: the input ends
    Repeat,  // the input is fed again, without end
    Hold,    // it is held open: the child may wait for more
};

struct Process {
    pid_t pid = -1;
    int in = -1;  // the test's ends of the pipes, -1 where there is none
    int out = -1;
    int err = -1;
};

struct Result {
    int status = -1;  // exit status; minus the signal number if one ended it
    bool timed_out = false;
    std::string out;
    std::string err;
};

// Whether the game under test is a Windows program, run under wine: the
// environment variable VELKA_WINE names it.
bool windows();

// Starts the game with the given standard streams, behind the words of
// wrapper if any (strace and its options, say); standard error is a pipe.
Process start(Input input = Input::Pipe, Output output = Output::Pipe,
              const std::vector<std::string>& wrapper = {});

// Reads standard output into seen until seen ends with text. Returns false
// if the output ends or the deadline passes first.
bool read_until(Process& process, std::string& seen, std::string_view text,
                Clock::time_point deadline);

// Writes text to the child's standard input.
void type(Process& process, std::string_view text);

// Feeds input, then closes, repeats or holds standard input as then says,
// collects both outputs and waits for the exit. At the deadline the child's
// whole process group is killed. Returns what was collected from here on.
Result finish(Process& process, std::string_view input, Then then, Clock::time_point deadline);

// Closes the test's end of the child's standard output: its reader has gone.
void leave(Process& process);

// Runs the game on input to the end, within limit.
Result run(std::string_view input, Input in = Input::Pipe, Output out = Output::Pipe,
           std::chrono::milliseconds limit = std::chrono::seconds(20),
           const std::vector<std::string>& wrapper = {});

}  // namespace child
