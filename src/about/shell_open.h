// Opening a document or web page with the program the desktop has for it.
#pragma once

#include <string>

void shellOpen(const std::string& target);
