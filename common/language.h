#pragma once
// User-interface texts by number from the language library lan.dll in the program folder.

#include <string>

// Loads the program folder's lan.dll (kept process-wide); false when it is missing.
bool LoadLanguageLibrary();
// Loads the library from a given path instead (tests, other folders).
bool LoadLanguageLibraryFrom(const std::string& path);
void FreeLanguageLibrary();

// The text of a number, at most 259 characters; empty when the library or the number is missing.
std::string Fetch(int number);
