#pragma once
// What an action says when it refuses: the message of the exception it raises, or
// "(no error)" when it raises none. For tables of bad inputs and their messages.

#include <exception>
#include <functional>
#include <string>

inline std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "(no error)";
}
