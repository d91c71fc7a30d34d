#include "console.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <istream>
#include <memory>
#include <ostream>
#include <string>

namespace {

// A temporary file, removed when closed.
using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

File temporary()
{
    return {std::tmpfile(), &std::fclose};
}

// The whole content of file.
std::string content(std::FILE* file)
{
    std::rewind(file);
    std::string text;
    for (int c = std::getc(file); c != EOF; c = std::getc(file)) {
        text += static_cast<char>(c);
    }
    return text;
}

// Text of size bytes that shows if a piece is lost, doubled or out of order.
std::string pattern(std::size_t size)
{
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        text += static_cast<char>('a' + i % 23);
    }
    return text;
}

// Texts around the buffer's size reach the file whole and in order, also
// after text that was already waiting.
TEST(ConsoleOutput, WritesEverythingInOrderAtAFlush)
{
    for (const std::size_t size : {0U, 1U, 8191U, 8192U, 8193U, 100000U}) {
        const File file = temporary();
        ASSERT_TRUE(file);
        {
            console::Output output(fileno(file.get()));
            std::ostream out(&output);
            out << "Name: " << pattern(size) << '\n' << std::flush;
            EXPECT_TRUE(out.good()) << size;
            EXPECT_EQ(output.error(), 0) << size;
        }
        EXPECT_EQ(content(file.get()), "Name: " + pattern(size) + "\n") << size;
    }
}

// A failed write fails the stream and keeps its reason; nothing more is
// taken, so the reason is still the first one.
TEST(ConsoleOutput, KeepsTheReasonAWriteFailed)
{
    console::Output output(-1);
    std::ostream out(&output);
    out << "Select: " << std::flush;
    EXPECT_TRUE(out.bad());
    EXPECT_EQ(output.error(), EBADF);
    out.clear();
    out << pattern(10000) << std::flush;
    EXPECT_TRUE(out.bad());
    EXPECT_EQ(output.error(), EBADF);
}

// After a failed write even text that would fit is refused at once, one
// character or more, rather than kept for a flush that cannot succeed.
TEST(ConsoleOutput, TakesNothingAfterAFailedWrite)
{
    console::Output output(-1);
    std::ostream out(&output);
    out << "Select: " << std::flush;
    out.clear();
    out << '2';
    EXPECT_TRUE(out.bad());
    out.clear();
    out << "Ann";
    EXPECT_TRUE(out.bad());
}

// Words and numbers are read across the buffer's edges, up to the end.
TEST(ConsoleInput, ReadsWordsAcrossBlocks)
{
    const File file = temporary();
    ASSERT_TRUE(file);
    const std::string long_word = pattern(20000);
    ASSERT_GE(std::fputs(("2 " + long_word + " -7\n").c_str(), file.get()), 0);
    std::rewind(file.get());
    console::Input input(fileno(file.get()));
    std::istream in(&input);
    int first = 0;
    std::string word;
    int last = 0;
    in >> first >> word >> last;
    EXPECT_EQ(first, 2);
    EXPECT_EQ(word, long_word);
    EXPECT_EQ(last, -7);
    EXPECT_FALSE(in >> word);
    EXPECT_TRUE(in.eof());
    EXPECT_EQ(input.error(), 0);
}

TEST(ConsoleInput, KeepsTheReasonAReadFailed)
{
    console::Input input(-1);
    std::istream in(&input);
    int choice = 0;
    EXPECT_FALSE(in >> choice);
    EXPECT_EQ(input.error(), EBADF);
}

}  // namespace
