#pragma once
// The desktop's services outside the window: handing a document or address to the
// program the user chose for it, and the clipboard.

#include <string>

namespace platform {

class Shell {
 public:
  virtual ~Shell() = default;
  // Opens a file or an address with the desktop's program for it; false when that
  // could not be started. Does not wait for it.
  virtual bool OpenDocument(const std::string& pathOrAddress) = 0;
  // Starts the program file at Path (absolute) with no arguments, without a shell and
  // without waiting for it; false when it could not be started.
  virtual bool StartProgram(const std::string& path) = 0;
  // The clipboard's text in UTF-8, empty when it holds none.
  virtual std::string ClipboardText() = 0;
};

}  // namespace platform
