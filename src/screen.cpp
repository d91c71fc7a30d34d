#include "screen.h"

#include <string_view>

void cls(std::ostream& out, int count)
{
    // The menus' own counts are written from a constant, with no string to build.
    static constexpr std::string_view feeds = "\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n";
    if (count <= 0) {
        return;
    }
    const auto size = static_cast<std::size_t>(count);
    if (size <= feeds.size()) {
        out << feeds.substr(0, size);
    } else {
        out << std::string(size, '\n');
    }
}

void welcome(std::ostream& out, const std::string& name)
{
    out << name << '\n' << std::flush;
    out << "Welcome to VELKA!\n" << std::flush;
    out << "You're in charge...\n" << std::flush;
}
