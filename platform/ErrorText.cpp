#include "platform/ErrorText.h"

#include <cstring>

namespace platform {
namespace {

// strerror_r comes in two flavours; overloads pick the one the C library declares.
[[maybe_unused]] const char* Pick(int result, const char* buffer) {
  return result == 0 ? buffer : nullptr;
}
[[maybe_unused]] const char* Pick(const char* result, const char*) {
  return result;
}

}  // namespace

std::string SystemErrorText(int code) {
  char buffer[256] = {};
  const char* text = Pick(strerror_r(code, buffer, sizeof buffer), buffer);
  if (!text || !text[0]) return "Unknown error " + std::to_string(code);
  return text;
}

}  // namespace platform
