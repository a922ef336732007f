#pragma once
// One small hierarchy for every error the system raises; each carries its message text
// exactly as players and content authors see it.

#include <stdexcept>
#include <string>

// The system's general exception.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

// Errors of the hash list and the keyed collections built on it.
class EElHashListError : public Exception {
 public:
  using Exception::Exception;
};

// Errors of the XML readers and writers.
class EXmlError : public Exception {
 public:
  using Exception::Exception;
};

// Errors of the expression parser.
class EParserException : public Exception {
 public:
  using Exception::Exception;
};
