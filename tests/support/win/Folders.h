#pragma once
// Scratch folders of the Windows-side tests and benchmarks.

#include <string>

// Removes a folder and everything below it; fine when it is missing.
void removeTree(const std::string& folder);
// Creates every missing folder of the path.
void makeFolders(const std::string& folder);
// Writes a file, making the folders it needs; a failure fails the test.
void writeFile(const std::string& path, const std::string& text);
