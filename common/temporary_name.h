#pragma once
// The name of the temporary file that the one-step writer fills before it moves it over the file: beside the file,
// named after the writing process and thread, so that two writers of one file never share one. A kill during a save
// leaves it behind; the programs remove such leftovers when they start.

#include <string>
#include <string_view>

// path + ".<process>-<thread>.tmp".
std::string TemporaryName(const std::string& path, unsigned long process, unsigned long thread);

// True when the file name (without its folder) is one that TemporaryName gives: a name, a dot, two decimal numbers
// joined by '-', and ".tmp".
bool IsTemporaryName(std::string_view name);
