#include "console.h"
#include "game_menu.h"
#include "screen.h"

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

// Runs the main menu until 7 is selected or a stream fails. Returns whether
// 7 was selected.
static bool play(std::istream& in, std::ostream& out)
{
    static constexpr Entries entries = {
        "1) Log In\n",   "2) Play Game\n",       "3) Save Game\n",     "4) Test OpenGL\n",
        "5) Register\n", "6) Load Saved Game\n", "7) Exit Program \n",
    };
    std::string name = "Not Logged In";
    while (in && out) {
        cls(out, 8);
        const std::optional<int> choice = menu(in, out, name, entries);
        if (choice == 2) {
            playgame(in, out, name);
        } else if (choice == 1) {
            cls(out, 8);
            name = login(in, out);
        } else if (choice == 7) {
            return true;
        }
    }
    return false;
}

// Reports on standard error that reading or writing failed for the reason
// error. Returns the exit status for it.
static int failed(const char* what, int error)
{
    console::Output errors(2);
    std::ostream err(&errors);
    err << "velka: " << what << " error: " << std::generic_category().message(error) << '\n'
        << std::flush;
    return 1;
}

// Ends a run that stopped before 7 was selected. Returns the exit status:
// 0 at end of input, 1 when reading or writing failed.
static int finish(std::ostream& out, const console::Input& input, const console::Output& output)
{
    if (out) {
        out << '\n' << std::flush;  // so the shell's next prompt starts on a fresh line
    }
    if (output.error() != 0) {
        return failed("write", output.error());
    }
    if (input.error() != 0) {
        return failed("read", input.error());
    }
    return 0;
}

int main()
{
    console::Input input;
    console::Output output;
    std::cin.rdbuf(&input);
    std::cout.rdbuf(&output);
    // Every prompt flushes itself before its read, and a test holds it to
    // that; a tie would only flush an empty buffer before each read.
    std::cin.tie(nullptr);
    const int status = play(std::cin, std::cout) ? 0 : finish(std::cout, input, output);
    // The buffers end with main; the library's flush at exit must not reach them.
    std::cin.rdbuf(nullptr);
    std::cout.rdbuf(nullptr);
    return status;
}
