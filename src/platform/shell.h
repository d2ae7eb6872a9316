// Hands a document or a web address to the desktop, which opens it with the
// program registered for it. Nothing comes back that the program looks at.
#pragma once

#include <cstdint>
#include <string>

using HWND = intptr_t;
constexpr int SW_SHOWNORMAL = 1;

HWND GetDesktopWindow();
// Opens file with the desktop's program for it, started in directory. The
// names are passed on as the bytes they are.
intptr_t ShellExecuteA(HWND owner, const std::string& operation, const std::string& file,
                       const std::string& parameters, const std::string& directory, int showCommand);
