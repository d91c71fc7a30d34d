#pragma once

#include <array>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

// The seven lines a menu lists, each with its line feed.
using Entries = std::array<std::string_view, 7>;

// Writes the banner for name, the entries and "Select: ", then reads a whole
// number. Returns it, or nothing when the next token is not a 32-bit whole
// number (that token is dropped, so the menu can simply be shown again).
// Nothing is read once output has failed. At end of input, or when input
// fails, returns nothing and leaves the input stream failed.
std::optional<int> menu(std::istream& in, std::ostream& out, const std::string& name,
                        const Entries& entries);

// Runs the game menu for name until 7 is selected or a stream fails.
void playgame(std::istream& in, std::ostream& out, const std::string& name);
