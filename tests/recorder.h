#pragma once

#include <cstddef>
#include <streambuf>
#include <string>
#include <vector>

// A stream buffer that keeps everything written to it, each write as one
// piece, and where each flush fell.
class Recorder : public std::streambuf {
  public:
    std::vector<std::string> pieces;
    std::vector<std::size_t> flushes;  // bytes written before each flush

    [[nodiscard]] std::string text() const
    {
        std::string all;
        for (const auto& piece : pieces) {
            all += piece;
        }
        return all;
    }

    // Where each line feed ends, which is where a flush is due.
    [[nodiscard]] std::vector<std::size_t> line_ends() const
    {
        std::vector<std::size_t> ends;
        const std::string all = text();
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (all[i] == '\n') {
                ends.push_back(i + 1);
            }
        }
        return ends;
    }

  protected:
    std::streamsize xsputn(const char* s, std::streamsize n) override
    {
        pieces.emplace_back(s, static_cast<std::size_t>(n));
        return n;
    }

    int_type overflow(int_type c) override
    {
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            pieces.emplace_back(1, traits_type::to_char_type(c));
        }
        return traits_type::not_eof(c);
    }

    int sync() override
    {
        flushes.push_back(text().size());
        return 0;
    }
};
