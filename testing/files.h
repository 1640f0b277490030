#pragma once
// Whole files for tests: what a program wrote, and bytes laid down before it reads them.

#include <string>

// The bytes of the file; empty when it is missing or cannot be read.
std::string ReadFileText(const std::string& path);
// Writes the bytes as the whole file, in binary; false when it cannot be written.
bool WriteFileText(const std::string& path, const std::string& bytes);
