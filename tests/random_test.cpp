// Random type-ahead sessions through the real program. Whatever the input,
// the run must end in time with status 0 and nothing on standard error, and
// its output must read as a sequence of the program's own screens.
//
// VELKA_SEED=N reruns the script of seed N alone.

#include "child.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using namespace std::string_literals;

constexpr int shards = 4;
constexpr int scripts_per_shard = 500;

const std::string not_logged_in = "Not Logged In";
const std::string blank_lines(8, '\n');
const std::string banner_tail = "Welcome to VELKA!\nYou're in charge...\n";
const std::string main_entries = "1) Log In\n2) Play Game\n3) Save Game\n4) Test OpenGL\n"
                                 "5) Register\n6) Load Saved Game\n7) Exit Program \nSelect: ";
const std::string game_entries = "1) Define Self\n2) Check Status\n3) Select/Change Assets\n"
                                 "4) Advance\n5) \n6) \n7) Main Menu \nSelect: ";

// A random script of tokens, separators and odd bytes.
std::string make_script(std::uint32_t seed)
{
    std::mt19937 random(seed);
    auto pick = [&](const std::vector<std::string>& from) {
        return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
    };
    auto chance = [&](int percent) {
        return std::uniform_int_distribution<int>(0, 99)(random) < percent;
    };
    const std::vector<std::string> selections = {"1", "2", "3", "4", "5", "6", "7", "0", "8", "-1"};
    const std::vector<std::string> odd = {
        "2147483647", "2147483648", "-2147483648",  "-2147483649", "99999999999999999999",
        "007",        "+2",         "-0",           "+",           "-",
        "abc",        "7abc",       "0x7",          "x7",          "Ann",
        "\u00C5sa",   "\u20AC7",    "\x80\xFF\xFE", "N\0L"s};
    const std::vector<std::string> separators = {" ", "\n", "\r\n", "\t", "  \n", "\v", "\f"};

    std::string script;
    const int tokens = std::uniform_int_distribution<int>(0, 24)(random);
    for (int i = 0; i < tokens; ++i) {
        if (chance(1)) {
            script += std::string(1 << 20, 'M');
        } else {
            script += chance(70) ? pick(selections) : pick(odd);
        }
        script += pick(separators);
    }
    if (chance(30) && !script.empty()) {
        script.pop_back();  // no line end, or a token cut short
    }
    return script;
}

// Shows bytes as C++ would spell them, so a failing script can be read.
std::string escaped(std::string_view text, std::size_t most = 300)
{
    std::string shown;
    for (const char c : text.substr(0, most)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            shown += "\\n";
        } else if (byte < 0x20 || byte >= 0x7F || c == '\\') {
            static const char digits[] = "0123456789ABCDEF";
            shown += "\\x";
            shown += digits[byte >> 4];
            shown += digits[byte & 15];
        } else {
            shown += c;
        }
    }
    return text.size() > most ? shown + "... (" + std::to_string(text.size()) + " bytes)" : shown;
}

// A screen of the program: the banner headed by name, then the entries.
std::string screen(const std::string& name, const std::string& entries)
{
    std::string text = name;
    text.append("\n").append(banner_tail).append(entries);
    return text;
}

// Reads output as the program's screens. Returns "" if it does, else what broke.
std::string check_screens(const std::string& out)
{
    enum class Last { Nothing, Main, Game, Login };
    Last last = Last::Nothing;
    std::string name;
    std::string main_screen;
    std::string game_screen;
    auto log_in = [&](std::string word) {
        name = std::move(word);
        main_screen = blank_lines;
        main_screen.append(screen(name, main_entries));
        game_screen = screen(name, game_entries);
    };
    log_in(not_logged_in);
    const std::string login_prompt = blank_lines + "Name: ";

    std::size_t at = 0;
    auto take = [&](const std::string& text) {
        if (out.compare(at, text.size(), text) != 0) {
            return false;
        }
        at += text.size();
        return true;
    };
    auto where = [&] {
        return " at byte " + std::to_string(at) + ": " + escaped(out.substr(at), 120);
    };

    while (at < out.size()) {
        if (last != Last::Nothing && out.size() - at == 1 && take("\n")) {
            return "";  // the line end written when the input runs out
        }
        if (last == Last::Main && take(login_prompt)) {
            const std::size_t end = std::min(out.find_first_of(" \t\n\v\f\r", at), out.size());
            log_in(out.substr(at, end - at));
            at = end;
            if (name.empty() && at != out.size() - 1) {
                return "a log-in with no word that did not end the run" + where();
            }
            last = Last::Login;
        } else if (take(main_screen)) {
            last = Last::Main;
        } else if ((last == Last::Main || last == Last::Game) && take(game_screen)) {
            last = Last::Game;
        } else {
            return "no screen for '" + escaped(name, 40) + "' fits" + where();
        }
    }
    if (last != Last::Main) {
        return "the run ended without a line end after a screen that was not the main menu";
    }
    return "";
}

class RandomSessions : public testing::TestWithParam<int> {};

TEST_P(RandomSessions, ShowOnlyTheProgramsScreens)
{
    // A leak check at exit triples the time of each run; the scripted
    // sessions keep it, and these runs are for what the input can break.
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    std::vector<std::uint32_t> seeds;
    if (const char* seed = std::getenv("VELKA_SEED")) {
        if (GetParam() != 0) {
            GTEST_SKIP() << "VELKA_SEED runs in shard 0";
        }
        seeds.push_back(static_cast<std::uint32_t>(std::strtoul(seed, nullptr, 10)));
    } else {
        for (int i = 0; i < scripts_per_shard; ++i) {
            seeds.push_back(static_cast<std::uint32_t>(GetParam() * scripts_per_shard + i));
        }
    }
    for (const std::uint32_t seed : seeds) {
        const std::string script = make_script(seed);
        const auto result =
            child::run(script, child::Input::Pipe, child::Output::Pipe, std::chrono::seconds(20));
        const std::string broken = check_screens(result.out);
        const bool good =
            !result.timed_out && result.status == 0 && result.err.empty() && broken.empty();
        ASSERT_TRUE(good) << "seed " << seed << " (rerun: VELKA_SEED=" << seed << ")\n"
                          << "script: " << escaped(script) << "\n"
                          << "timed out: " << result.timed_out << ", status " << result.status
                          << "\nstderr: " << result.err << "\n"
                          << broken;
    }
}

INSTANTIATE_TEST_SUITE_P(Shards, RandomSessions, testing::Range(0, shards));

}  // namespace
