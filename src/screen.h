#pragma once

#include <ostream>
#include <string>

// Writes count line feeds in one piece, without a flush: the console has no
// real clearing, so earlier text is pushed up out of sight instead.
void cls(std::ostream& out, int count);

// Writes the three-line banner headed by name, flushing after each line.
void welcome(std::ostream& out, const std::string& name);
