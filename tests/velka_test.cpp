#include "child.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;

const std::string banner_tail = "Welcome to VELKA!\nYou're in charge...\n";

// The main menu as it is shown, headed by name.
std::string main_menu(const std::string& name = "Not Logged In")
{
    return std::string(8, '\n') + name + "\n" + banner_tail +
           "1) Log In\n2) Play Game\n3) Save Game\n4) Test OpenGL\n5) Register\n"
           "6) Load Saved Game\n7) Exit Program \nSelect: ";
}

// The game menu as it is shown, headed by name.
std::string game_menu(const std::string& name = "Not Logged In")
{
    return name + "\n" + banner_tail +
           "1) Define Self\n2) Check Status\n3) Select/Change Assets\n4) Advance\n"
           "5) \n6) \n7) Main Menu \nSelect: ";
}

// The log-in prompt with the word echoed back.
std::string login(const std::string& word)
{
    return std::string(8, '\n') + "Name: " + word;
}

std::string times(int n, const std::string& text)
{
    std::string all;
    for (int i = 0; i < n; ++i) {
        all += text;
    }
    return all;
}

const std::string ended = "\n";  // written when the input runs out

struct SessionCase {
    const char* input;
    std::string output;
};

TEST(Velka, PlaysScriptedSessions)
{
    const SessionCase cases[] = {
        {"7\n", main_menu()},
        {"0 8 -1 3 4 5 6 7\n", times(8, main_menu())},
        {"007\n", main_menu()},
        {"+7\n", main_menu()},
        {"7abc\n", main_menu()},
        {"1\nAnn\n7\n", main_menu() + login("Ann") + main_menu("Ann")},
        {"1\nAnn 7\n", main_menu() + login("Ann") + main_menu("Ann")},
        {"1 Ann 1 Bob 7",
         main_menu() + login("Ann") + main_menu("Ann") + login("Bob") + main_menu("Bob")},
        {"2 7 7", main_menu() + game_menu() + main_menu()},
        {"1 Ann 2 4 5 6 7 7\n", main_menu() + login("Ann") + main_menu("Ann") +
                                    times(4, game_menu("Ann")) + main_menu("Ann")},
        {"1\r\nAnn\r\n7\r\n", main_menu() + login("Ann") + main_menu("Ann")},
        {"1 \xC3\x85sa\x80 7", main_menu() + login("\xC3\x85sa\x80") + main_menu("\xC3\x85sa\x80")},
        // Not a whole number: that token is dropped and the menu shown again.
        {"abc 7", times(2, main_menu())},
        {"99999999999 7", times(2, main_menu())},
        {"0x7 7", times(3, main_menu())},
        {"+ 7", times(2, main_menu())},
        {"2 x 7 7", main_menu() + times(2, game_menu()) + main_menu()},
        // The input ends before 7: one line end, and the program ends.
        {"", main_menu() + ended},
        {"3", times(2, main_menu()) + ended},
        {"abc", times(2, main_menu()) + ended},
        {"1", main_menu() + login("") + ended},
        {"1 Ann", main_menu() + login("Ann") + main_menu("Ann") + ended},
        {"1 Ann 1", main_menu() + login("Ann") + main_menu("Ann") + login("") + ended},
        {"2", main_menu() + game_menu() + ended},
        {"2 4", main_menu() + times(2, game_menu()) + ended},
    };
    for (const auto& c : cases) {
        const auto result = child::run(c.input);
        EXPECT_EQ(result.out, c.output) << "input '" << c.input << "'";
        EXPECT_EQ(result.status, 0) << "input '" << c.input << "'";
        EXPECT_EQ(result.err, "") << "input '" << c.input << "'";
        EXPECT_FALSE(result.timed_out) << "input '" << c.input << "'";
    }
}

// Windows reads standard input in text mode, where a Ctrl-Z byte ends it;
// elsewhere it is a byte like any other, here the last of a name.
TEST(Velka, EndsTheInputAtCtrlZOnWindowsOnly)
{
    const auto result = child::run("1 Ann\x1A 7\n");
    const std::string output = child::windows()
                                   ? main_menu() + login("Ann") + main_menu("Ann") + ended
                                   : main_menu() + login("Ann\x1A") + main_menu("Ann\x1A");
    EXPECT_EQ(result.out, output);
    EXPECT_EQ(result.status, 0);
}

// Each answer is typed only once its prompt has arrived, as a player would:
// a prompt left in a buffer never arrives and the test runs out of time.
TEST(Velka, ShowsEachPromptBeforeWaitingForTheAnswer)
{
    const struct {
        std::string prompt;
        const char* answer;
    } steps[] = {
        {main_menu(), "1\n"},      {login(""), "Ann\n"},      {"Ann" + main_menu("Ann"), "2\n"},
        {game_menu("Ann"), "7\n"}, {main_menu("Ann"), "7\n"},
    };
    const auto deadline = child::Clock::now() + 20s;
    auto process = child::start();
    for (const auto& step : steps) {
        std::string seen;
        if (!child::read_until(process, seen, step.prompt, deadline)) {
            child::finish(process, "", child::Then::Close, child::Clock::now());  // ends it
            FAIL() << "waited for:\n" << step.prompt << "\nbut saw:\n" << seen;
        }
        EXPECT_EQ(seen, step.prompt);
        child::type(process, step.answer);
    }
    const auto result = child::finish(process, "", child::Then::Close, deadline);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.status, 0);
    EXPECT_FALSE(result.timed_out);
}

// Whether a program of that name is on the PATH.
bool on_path(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path != nullptr ? path : "");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        dir.append("/").append(name);
        if (access(dir.c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

// A flush is due at every line end and before every read, and no more: each
// menu screen takes 11 writes (the blank lines go with the first banner line)
// and a log-in one more. Input is read in blocks, not a byte at a time.
TEST(Velka, WritesOncePerFlushAndReadsInBlocks)
{
    if (child::windows()) {
        GTEST_SKIP() << "the calls of a Windows program under wine are wine's";
    }
    if (!on_path("strace")) {
        GTEST_SKIP() << "strace is not installed: system calls not counted";
    }
    // LeakSanitizer, where it is built in, cannot run under strace's ptrace.
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    std::string log = testing::TempDir() + "velka-strace-XXXXXX";
    close(mkstemp(log.data()));
    const auto result = child::run("3 1 Ann 2 4 7 7\n", child::Input::Pipe, child::Output::Pipe,
                                   20s, {"strace", "-o", log, "-e", "trace=read,write"});
    int writes = 0;
    std::vector<unsigned long> reads;
    {
        std::ifstream file(log);
        for (std::string line; std::getline(file, line);) {
            if (line.rfind("write(1,", 0) == 0) {
                ++writes;
            } else if (line.rfind("read(0,", 0) == 0) {
                const auto asked = line.rfind(", ");
                reads.push_back(std::stoul(line.substr(asked + 2)));
            }
        }
    }
    (void)std::remove(log.c_str());  // before any assertion can return
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(writes, 6 * 11 + 1);
    ASSERT_FALSE(reads.empty());
    for (const unsigned long asked : reads) {
        EXPECT_GE(asked, 4096U);
    }
}

struct FailureCase {
    const char* what;
    child::Input in;
    child::Output out;
    child::Then then;
    std::string output;
    std::string error;
    const char* windows_error;  // under wine: nullptr where it cannot be made, "" if the same
};

// The message a failure case expects on the system under test.
std::string error_here(const FailureCase& c)
{
    const bool own = child::windows() && c.windows_error != nullptr && *c.windows_error != '\0';
    return own ? c.windows_error : c.error;
}

// Runs the game as c says, answering 3, and checks it stops as c expects.
void check_failure(const FailureCase& c)
{
    const auto deadline = child::Clock::now() + 10s;
    auto process = child::start(c.in, c.out);
    const auto result = child::finish(process, "3\n", c.then, deadline);
    EXPECT_FALSE(result.timed_out) << c.what;
    EXPECT_EQ(result.status, 1) << c.what;
    EXPECT_EQ(result.out, c.output) << c.what;
    EXPECT_EQ(result.err, error_here(c)) << c.what;
}

TEST(Velka, StopsWithStatusOneWhenInputOrOutputFails)
{
    using child::Input;
    using child::Output;
    using child::Then;
    const FailureCase cases[] = {
        {"stdin a directory", Input::Directory, Output::Pipe, Then::Close, main_menu() + ended,
         "velka: read error: Is a directory\n", nullptr},
        // wine hands the program a standard input that cannot be read.
        {"stdin closed", Input::Closed, Output::Pipe, Then::Close, main_menu() + ended,
         "velka: read error: Bad file descriptor\n", "velka: read error: Invalid argument\n"},
        {"stdout /dev/full", Input::Pipe, Output::Full, Then::Close, "",
         "velka: write error: No space left on device\n", ""},
        {"stdout closed", Input::Pipe, Output::Closed, Then::Close, "",
         "velka: write error: Bad file descriptor\n", ""},
        {"stdout a pipe with no reader", Input::Pipe, Output::Broken, Then::Close, "",
         "velka: write error: Broken pipe\n", ""},
        {"endless input, stdout /dev/full", Input::Pipe, Output::Full, Then::Repeat, "",
         "velka: write error: No space left on device\n", ""},
        {"endless input, stdout a pipe with no reader", Input::Pipe, Output::Broken, Then::Repeat,
         "", "velka: write error: Broken pipe\n", ""},
    };
    for (const auto& c : cases) {
        if (!child::windows() || c.windows_error != nullptr) {  // else it cannot be made there
            check_failure(c);
        }
    }
}

// The reader of standard output goes away once the first screen has come,
// and the player answers. The next write fails, and the program must stop
// there: not wait for input it can never prompt for, with standard input
// held open where an answer is due.
TEST(Velka, StopsWithStatusOneWhenOutputFailsPartway)
{
    using child::Then;
    const struct {
        const char* what;
        const char* answer;
        Then then;
    } cases[] = {
        {"the game menu opens", "2\n", Then::Hold},
        {"the log-in prompt comes", "1\n", Then::Hold},
        {"the main menu comes again", "3\n", Then::Hold},
        {"a name typed ahead", "1 Ann\n", Then::Hold},
        {"the input ends", "", Then::Close},
    };
    for (const auto& c : cases) {
        const auto deadline = child::Clock::now() + 10s;
        auto process = child::start(child::Input::Pipe, child::Output::Leaves);
        std::string seen;
        ASSERT_TRUE(child::read_until(process, seen, main_menu(), deadline)) << c.what;
        child::leave(process);
        const auto result = child::finish(process, c.answer, c.then, deadline);
        EXPECT_FALSE(result.timed_out) << c.what;
        EXPECT_EQ(result.status, 1) << c.what;
        EXPECT_EQ(result.err, "velka: write error: Broken pipe\n") << c.what;
    }
}

}  // namespace
