#include "recorder.h"
#include "screen.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

struct ClsCase {
    int count;
    std::vector<std::string> pieces;
};

TEST(Cls, WritesTheLineFeedsInOnePieceWithoutFlushing)
{
    const ClsCase cases[] = {
        {8, {"\n\n\n\n\n\n\n\n"}},
        {1, {"\n"}},
        {16, {std::string(16, '\n')}},
        {17, {std::string(17, '\n')}},
        {1000, {std::string(1000, '\n')}},
        {0, {}},
        {-1, {}},
    };
    for (const auto& c : cases) {
        Recorder recorder;
        std::ostream out(&recorder);
        cls(out, c.count);
        EXPECT_EQ(recorder.pieces, c.pieces) << "count " << c.count;
        EXPECT_TRUE(recorder.flushes.empty()) << "count " << c.count;
        EXPECT_TRUE(out.good());
    }
}

TEST(Welcome, WritesThreeLinesEachFlushed)
{
    const struct {
        std::string name;
        std::string text;
    } cases[] = {
        {"Not Logged In", "Not Logged In\nWelcome to VELKA!\nYou're in charge...\n"},
        {"", "\nWelcome to VELKA!\nYou're in charge...\n"},
        {"  Ann\t", "  Ann\t\nWelcome to VELKA!\nYou're in charge...\n"},
    };
    for (const auto& c : cases) {
        Recorder recorder;
        std::ostream out(&recorder);
        welcome(out, c.name);
        EXPECT_EQ(recorder.text(), c.text);
        EXPECT_EQ(recorder.flushes, recorder.line_ends()) << "name '" << c.name << "'";
    }
}

}  // namespace
