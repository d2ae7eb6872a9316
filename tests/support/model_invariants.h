// What must hold of the model whenever the program is between two events.
#pragma once

#include <string>

// An empty string when every rule holds; otherwise the first rule broken.
std::string modelInvariantViolation();
