#include "screen.h"

void cls(std::ostream& out, int count)
{
    if (count > 0) {
        out << std::string(static_cast<std::size_t>(count), '\n');
    }
}

void welcome(std::ostream& out, const std::string& name)
{
    out << name << '\n' << std::flush;
    out << "Welcome to VELKA!\n" << std::flush;
    out << "You're in charge...\n" << std::flush;
}
