// What the running program knows of itself: its folder, title and version.
#pragma once

#include <string>

namespace App {

// The folder that holds the executable, links resolved, without a trailing separator.
std::string Path();
std::string Title();
int Major();
int Minor();
int Revision();

}  // namespace App
