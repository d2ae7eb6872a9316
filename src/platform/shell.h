// Hands a document or a web address to the desktop, which opens it with the
// program registered for it. Nothing comes back that the program looks at.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

using HWND = intptr_t;
constexpr int SW_SHOWNORMAL = 1;

HWND GetDesktopWindow();
intptr_t ShellExecuteA(HWND owner, const std::string& operation, const std::string& file,
                       const std::string& parameters, const std::string& directory, int showCommand);

// Lets a test see what would be opened instead of starting another program.
using ShellOpener = std::function<void(const std::string& operation, const std::string& file,
                                       const std::string& directory)>;
void setShellOpener(ShellOpener opener);
