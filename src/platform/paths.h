// Paths as the file system holds them: bytes, whatever their encoding, of
// any length.
#pragma once

#include <string>

// Like open(2), for a path of any length: a path too long for the system is
// opened one folder at a time. -1 when it cannot be opened.
int openPath(const std::string& path, int flags);
