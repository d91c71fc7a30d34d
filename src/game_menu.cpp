#include "game_menu.h"

#include "screen.h"

#include <cctype>

std::optional<int> menu(std::istream& in, std::ostream& out, const std::string& name,
                        const Entries& entries)
{
    welcome(out, name);
    for (const std::string_view entry : entries) {
        out << entry << std::flush;
    }
    out << "Select: " << std::flush;
    if (!out) {
        return std::nullopt;
    }
    // The sentry skips white space, and fails if nothing else was left: the
    // input has ended.
    if (!std::istream::sentry(in)) {
        return std::nullopt;
    }
    int choice = 0;
    if (in >> choice) {
        return choice;
    }
    if (in.bad()) {
        return std::nullopt;
    }
    // Keep an end of input that the number ran into, so the next read ends.
    in.clear(in.rdstate() & std::ios::eofbit);
    // Drop what is left of the token, and no more: the next one still counts.
    if (!in.eof() && std::isspace(in.peek()) == 0) {
        std::string rest;
        in >> rest;
    }
    return std::nullopt;
}

void playgame(std::istream& in, std::ostream& out, const std::string& name)
{
    static constexpr Entries entries = {
        "1) Define Self\n",
        "2) Check Status\n",
        "3) Select/Change Assets\n",
        "4) Advance\n",
        "5) \n",
        "6) \n",
        "7) Main Menu \n",
    };
    while (in && out) {
        if (menu(in, out, name, entries) == 7) {
            return;
        }
    }
}
