// Scratch folders and small text files for tests.
#pragma once

#include <string>

// A fresh empty folder (0700) in the temporary folder.
std::string makeScratchFolder();
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& text);
