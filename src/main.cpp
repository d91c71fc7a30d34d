#include "game_menu.h"
#include "screen.h"

#include <cerrno>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>

// Writes "Name: " and reads one word, echoing it back without a line end.
// Returns the word, empty when none could be read (the input is then failed).
static std::string login(std::istream& in, std::ostream& out)
{
    out << "Name: " << std::flush;
    std::string word;
    if (out && in >> word) {
        out << word;
    }
    return word;
}

// Reports that reading or writing failed. Returns the exit status for it.
static int failed(const char* what, int error)
{
    std::cerr << "velka: " << what << " error: " << std::system_category().message(error) << '\n';
    return 1;
}

// Ends a run that stopped before 7 was selected. Returns the exit status:
// 0 at end of input, 1 when reading or writing failed.
static int finish(const std::istream& in, std::ostream& out)
{
    const int read_error = errno;  // still why the last read failed, if it did
    if (out) {
        out << '\n' << std::flush;  // so the shell's next prompt starts on a fresh line
    }
    if (!out) {
        return failed("write", errno);
    }
    if (in.bad()) {
        return failed("read", read_error);
    }
    return 0;
}

int main()
{
    // Our own buffers: each flush is one write, and input is read in blocks.
    std::ios::sync_with_stdio(false);
    static constexpr Entries entries = {
        "1) Log In\n",   "2) Play Game\n",       "3) Save Game\n",     "4) Test OpenGL\n",
        "5) Register\n", "6) Load Saved Game\n", "7) Exit Program \n",
    };
    std::string name = "Not Logged In";
    while (std::cin && std::cout) {
        cls(std::cout, 8);
        const std::optional<int> choice = menu(std::cin, std::cout, name, entries);
        if (choice == 2) {
            playgame(std::cin, std::cout, name);
        } else if (choice == 1) {
            cls(std::cout, 8);
            name = login(std::cin, std::cout);
        } else if (choice == 7) {
            return 0;
        }
    }
    return finish(std::cin, std::cout);
}
