#pragma once
// The operating system's message for an error number.

#include <string>

namespace platform {

// The system's text for errno value code, e.g. "No such file or directory"; a
// generic text naming the number when the system has none.
std::string SystemErrorText(int code);

}  // namespace platform
