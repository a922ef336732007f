#pragma once
// Where a command's output goes. Authors point it anywhere: a file, "-" for the standard
// output, a named pipe, a device, a symbolic link to a file they keep elsewhere.

#include <string>
#include <string_view>

// Writes Bytes as the output at Path. "-" is the standard output. An output that exists
// and is not a regular file (a named pipe, a device) is written directly, never replaced;
// a symbolic link is followed and its target replaced safely; a regular file (or a new
// one) is replaced safely: a temporary beside it, renamed over it. False, with Problem
// saying why, when it could not be written; a file replaced safely is then untouched.
bool WriteOutput(const std::string& path, std::string_view bytes, std::string& problem);
