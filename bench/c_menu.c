/* The same menus in plain C stdio, as lean as it can be written: the same
 * bytes and the same flushes, to measure the game against. Handles the
 * benchmark's well-formed input only. */
#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>

static const char *const main_entries[] = {
    "1) Log In\n",   "2) Play Game\n",       "3) Save Game\n",     "4) Test OpenGL\n",
    "5) Register\n", "6) Load Saved Game\n", "7) Exit Program \n",
};

static const char *const game_entries[] = {
    "1) Define Self\n", "2) Check Status\n", "3) Select/Change Assets\n", "4) Advance\n",
    "5) \n",            "6) \n",             "7) Main Menu \n",
};

/* Writes a text and flushes it. */
static void put(const char *text)
{
    fputs(text, stdout);
    fflush(stdout);
}

/* Reads the next white-space separated word into word, keeping at most
 * size - 1 bytes of it. Returns 0 at end of input, 1 otherwise. */
static int token(char *word, size_t size)
{
    size_t n = 0;
    int c;
    while ((c = getc(stdin)) != EOF && isspace(c))
        ;
    if (c == EOF)
        return 0;
    do {
        if (n + 1 < size)
            word[n++] = (char)c;
    } while ((c = getc(stdin)) != EOF && !isspace(c));
    word[n] = '\0';
    return 1;
}

/* Shows the banner, the entries and the prompt; returns the number read, or
 * -1 at end of input. */
static int menu(const char *name, const char *const *entries)
{
    char word[32];
    fputs(name, stdout);
    put("\n");
    put("Welcome to VELKA!\n");
    put("You're in charge...\n");
    for (int i = 0; i < 7; i++)
        put(entries[i]);
    put("Select: ");
    return token(word, sizeof word) ? (int)strtol(word, NULL, 10) : -1;
}

int main(void)
{
    char name[256] = "Not Logged In";
    int choice;

    /* Full buffering on a terminal too, so both programs flush alike. */
    setvbuf(stdout, NULL, _IOFBF, BUFSIZ);
    for (;;) {
        fputs("\n\n\n\n\n\n\n\n", stdout);
        choice = menu(name, main_entries);
        if (choice == 2) {
            int game;
            do
                game = menu(name, game_entries);
            while (game != 7 && game != -1);
        } else if (choice == 1) {
            fputs("\n\n\n\n\n\n\n\n", stdout);
            put("Name: ");
            if (!token(name, sizeof name))
                break;
            fputs(name, stdout);
        }
        if (choice == 7 || choice == -1)
            break;
    }
    return 0;
}
