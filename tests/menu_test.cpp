#include "game_menu.h"
#include "recorder.h"

#include <gtest/gtest.h>

#include <climits>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>

namespace {

const Entries entries = {"a\n", "b\n", "c\n", "d\n", "e\n", "f\n", "g \n"};

std::string rest_of(std::istream& in)
{
    in.clear();
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct SelectionCase {
    const char* input;
    std::optional<int> choice;
    bool ended;        // the input stream is left failed: nothing more to read
    const char* rest;  // what stays for the next read
};

TEST(Menu, ReadsOneSelectionAndLeavesTheRest)
{
    const SelectionCase cases[] = {
        {"7\n", 7, false, "\n"},
        {"7", 7, false, ""},
        {"  \t\r\n 2 7", 2, false, " 7"},
        {"007 ", 7, false, " "},
        {"+7", 7, false, ""},
        {"-1", -1, false, ""},
        {"7abc 1", 7, false, "abc 1"},
        {"0x7", 0, false, "x7"},
        {"2147483647", INT_MAX, false, ""},
        {"-2147483648", INT_MIN, false, ""},
        // Not a whole number: only that token is dropped.
        {"abc 7", std::nullopt, false, " 7"},
        {"x7\n7", std::nullopt, false, "\n7"},
        {"+ 7", std::nullopt, false, " 7"},
        {"2147483648 7", std::nullopt, false, " 7"},
        {"-2147483649\t7", std::nullopt, false, "\t7"},
        {"99999999999999999999x 7", std::nullopt, false, " 7"},
        {"\xC3\xA9\x80 7", std::nullopt, false, " 7"},
        {"abc", std::nullopt, false, ""},
        {"-", std::nullopt, false, ""},
        // Nothing left to read.
        {"", std::nullopt, true, ""},
        {" \n\t\r\v\f", std::nullopt, true, ""},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.input);
        std::ostringstream out;
        const auto choice = menu(in, out, "Ann", entries);
        EXPECT_EQ(choice, c.choice) << "input '" << c.input << "'";
        EXPECT_EQ(in.fail(), c.ended) << "input '" << c.input << "'";
        EXPECT_EQ(rest_of(in), c.rest) << "input '" << c.input << "'";
    }
}

TEST(Menu, WritesBannerEntriesAndPromptFlushingEachBeforeReading)
{
    Recorder recorder;
    std::ostream out(&recorder);
    std::istringstream in("3");
    menu(in, out, "Ann", entries);
    const std::string text = recorder.text();
    EXPECT_EQ(text, "Ann\nWelcome to VELKA!\nYou're in charge...\na\nb\nc\nd\ne\nf\ng \nSelect: ");
    auto due = recorder.line_ends();
    due.push_back(text.size());
    EXPECT_EQ(recorder.flushes, due);
}

TEST(Menu, ReadsNothingOnceOutputHasFailed)
{
    std::istringstream in("7 7");
    std::ostringstream out;
    out.setstate(std::ios::badbit);
    EXPECT_EQ(menu(in, out, "Ann", entries), std::nullopt);
    EXPECT_EQ(rest_of(in), "7 7");
}

TEST(Playgame, ShowsItsMenuUntilSevenWithNoBlankLinesBefore)
{
    const std::string screen = "Ann\nWelcome to VELKA!\nYou're in charge...\n"
                               "1) Define Self\n2) Check Status\n3) Select/Change Assets\n"
                               "4) Advance\n5) \n6) \n7) Main Menu \nSelect: ";
    const struct {
        const char* input;
        int screens;
        const char* rest;
    } cases[] = {
        {"7 7", 1, " 7"},
        {"1 2 3 4 5 6 0 -7 8 abc 7\n", 11, "\n"},
        {"4", 2, ""},  // input ends: the menu returns
    };
    for (const auto& c : cases) {
        std::istringstream in(c.input);
        std::ostringstream out;
        playgame(in, out, "Ann");
        std::string expected;
        for (int i = 0; i < c.screens; ++i) {
            expected += screen;
        }
        EXPECT_EQ(out.str(), expected) << "input '" << c.input << "'";
        EXPECT_EQ(rest_of(in), c.rest) << "input '" << c.input << "'";
    }
}

}  // namespace
