#include "platform/Script.h"

#include <cerrno>
#include <charconv>
#include <iterator>
#include <string_view>
#include <utility>

#include "platform/AsciiCase.h"
#include "platform/Clock.h"
#include "platform/ErrorText.h"
#include "platform/Events.h"
#include "platform/Folders.h"
#include "platform/Utf8.h"
#include "platform/Video.h"
#include "platform/Window.h"

namespace platform {
namespace {

constexpr size_t kMaxScriptBytes = 4u << 20;
constexpr int32_t kMaxCoordinate = 1000000;

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

// The line after its first word, without the blanks around it.
std::string Rest(const std::string& line) {
  size_t i = line.find_first_not_of(" \t");
  i = line.find_first_of(" \t", i);
  if (i == std::string::npos) return {};
  i = line.find_first_not_of(" \t", i);
  if (i == std::string::npos) return {};
  size_t end = line.find_last_not_of(" \t");
  return line.substr(i, end + 1 - i);
}

bool ParseNumber(const std::string& word, int64_t low, int64_t high, int64_t& value) {
  int base = 10;
  const char* first = word.data();
  const char* last = word.data() + word.size();
  if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
    base = 16;
    first += 2;
  }
  auto [end, error] = std::from_chars(first, last, value, base);
  return error == std::errc() && end == last && first != last && value >= low && value <= high;
}

bool EndsWithPng(const std::string& name) {
  return name.size() > 4 && SameText(name.substr(name.size() - 4), ".png");
}

// "alt+ctrl+0x41": the modifiers, then the key's code.
bool ParseKey(const std::string& word, ScriptCommand& command) {
  struct Modifier {
    const char* name;
    uint8_t bit;
  };
  static constexpr Modifier kModifiers[] = {
      {"alt", kScriptAlt}, {"ctrl", kScriptControl}, {"shift", kScriptShift}};
  size_t start = 0;
  for (size_t plus; (plus = word.find('+', start)) != std::string::npos; start = plus + 1) {
    std::string name = word.substr(start, plus - start);
    const Modifier* found = nullptr;
    for (const Modifier& m : kModifiers) {
      if (SameText(name, m.name)) found = &m;
    }
    if (!found) return false;
    command.modifiers |= found->bit;
  }
  int64_t code = 0;
  if (!ParseNumber(word.substr(start), 1, 254, code)) return false;
  command.key = uint32_t(code);
  return true;
}

// The character a key types while Alt is held, as the keyboard gives it without regard
// to the layout; 0 for none.
uint32_t AltCharacter(uint32_t virtualKey, bool shift) {
  if (virtualKey >= 'A' && virtualKey <= 'Z') return shift ? virtualKey : virtualKey + ('a' - 'A');
  if ((virtualKey >= '0' && virtualKey <= '9') || virtualKey == ' ') return virtualKey;
  return KeyTypesControlCharacter(virtualKey) ? virtualKey : 0;
}

// The commands that take no argument; null for any other name.
const ScriptOp* CommandWithoutArguments(const std::string& name) {
  static constexpr std::pair<std::string_view, ScriptOp> kCommands[] = {
      {"close", ScriptOp::Close},  // the window's close button
      {"quit", ScriptOp::Quit},
  };
  for (const auto& [command, op] : kCommands)
    if (command == name) return &op;
  return nullptr;
}

// Parses one line that has a command; the message of a bad line without its number.
bool ParseLine(const std::string& line, ScriptCommand& command, std::string& error) {
  std::vector<std::string> words = Words(line);
  const std::string& name = words[0];
  size_t arguments = words.size() - 1;
  int64_t a = 0, b = 0;
  auto wrongArguments = [&](const char* usage) {
    error = std::string("expected \"") + usage + "\"";
    return false;
  };
  if (name == "wait") {
    if (arguments != 1 || !ParseNumber(words[1], 0, INT32_MAX, a)) return wrongArguments("wait MS");
    command.op = ScriptOp::Wait;
    command.milliseconds = uint32_t(a);
  } else if (name == "wait-screen") {
    if (arguments < 1 || arguments > 2 ||
        (arguments == 2 && !ParseNumber(words[2], 0, INT32_MAX, a))) {
      return wrongArguments("wait-screen NAME [MS]");
    }
    command.op = ScriptOp::WaitScreen;
    command.text = words[1];
    command.milliseconds = arguments == 2 ? uint32_t(a) : kDefaultScreenWait;
  } else if (name == "move" || name == "click" || name == "press" || name == "release") {
    bool button = name != "move";
    bool ok = (arguments == 2 || (button && arguments == 3)) &&
              ParseNumber(words[1], -kMaxCoordinate, kMaxCoordinate, a) &&
              ParseNumber(words[2], -kMaxCoordinate, kMaxCoordinate, b);
    if (ok && arguments == 3) {
      ok = words[3] == "left" || words[3] == "right";
      command.button = words[3] == "right" ? ScriptButton::Right : ScriptButton::Left;
    }
    if (!ok) return wrongArguments(button ? (name + " X Y [left|right]").c_str() : "move X Y");
    command.op = name == "move"    ? ScriptOp::Move
                 : name == "click" ? ScriptOp::Click
                 : name == "press" ? ScriptOp::Press
                                   : ScriptOp::Release;
    command.point = {int32_t(a), int32_t(b)};
  } else if (name == "key") {
    if (arguments != 1 || !ParseKey(words[1], command)) {
      return wrongArguments(
          "key [MOD+]VK (MOD: alt, ctrl or shift; VK: a virtual-key code from 1 to 254)");
    }
    command.op = ScriptOp::Key;
  } else if (name == "char") {
    command.text = Rest(line);
    if (command.text.empty()) return wrongArguments("char TEXT");
    if (!ForEachCodePoint(command.text, [](uint32_t) {})) {
      error = "char: the text is not valid UTF-8";
      return false;
    }
    command.op = ScriptOp::Char;
  } else if (name == "screenshot") {
    command.text = Rest(line);
    if (!EndsWithPng(command.text)) return wrongArguments("screenshot FILE.png");
    command.op = ScriptOp::Screenshot;
  } else if (name == "expect-screen") {
    if (arguments != 1) return wrongArguments("expect-screen NAME");
    command.op = ScriptOp::ExpectScreen;
    command.text = words[1];
  } else if (name == "seed") {
    if (arguments != 1 || !ParseNumber(words[1], 0, INT64_MAX, a)) return wrongArguments("seed N");
    command.op = ScriptOp::Seed;
    command.seed = uint64_t(a);
  } else if (const ScriptOp* op = CommandWithoutArguments(name)) {
    if (arguments != 0) return wrongArguments(name.c_str());
    command.op = *op;
  } else {
    error = "unknown command \"" + name + "\"";
    return false;
  }
  return true;
}

}  // namespace

bool ParseScript(const std::string& text, std::vector<ScriptCommand>& commands,
                 std::string& error) {
  commands.clear();
  int number = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    ScriptCommand& command = commands.emplace_back();
    command.line = number;
    std::string message;
    if (!ParseLine(line, command, message)) {
      error = "line " + std::to_string(number) + ": " + message;
      commands.clear();
      return false;
    }
  }
  return true;
}

bool LoadScript(const std::string& path, std::vector<ScriptCommand>& commands, std::string& error) {
  std::string text;
  errno = 0;
  if (!ReadWholeFile(path, text, kMaxScriptBytes)) {
    int code = errno;
    error = "script " + path + ": cannot read it" +
            (code ? ": " + SystemErrorText(code) : std::string(" (not a small regular file)"));
    return false;
  }
  if (!ParseScript(text, commands, error)) {
    error = "script " + path + ", " + error;
    return false;
  }
  return true;
}

ScriptRunner::ScriptRunner(std::vector<ScriptCommand> commands, Window& window, Video& video,
                           Clock& clock, bool quitAtEnd)
    : commands_(std::move(commands)),
      window_(window),
      video_(video),
      clock_(clock),
      quitAtEnd_(quitAtEnd) {}

void ScriptRunner::Step(ScriptHost& host) {
  while (!finished_ && next_ < commands_.size()) {
    bool yield = false;
    if (!Run(commands_[next_], host, yield)) return;
    ++next_;
    started_ = false;
    if (yield) return;
  }
  if (finished_) return;
  finished_ = true;
  if (quitAtEnd_) window_.PostQuit();
}

void ScriptRunner::Fail(const ScriptCommand& command, const std::string& message) {
  failure_ = "script line " + std::to_string(command.line) + ": " + message;
  finished_ = true;
  window_.PostQuit();
}

void ScriptRunner::PostKey(const ScriptCommand& command) {
  static constexpr struct {
    uint8_t bit;
    uint32_t virtualKey;
  } kHeld[] = {{kScriptShift, 16}, {kScriptControl, 17}, {kScriptAlt, 18}};
  const uint32_t up = kKeyRepeatOne | kKeyWasDown | kKeyReleased;
  bool alt = (command.modifiers & kScriptAlt) != 0;
  bool shift = (command.modifiers & kScriptShift) != 0;
  // Key messages carry the Alt bit while Alt is down, the Alt key's own down included.
  uint32_t altBit = alt ? input::kAltBit : 0;
  for (const auto& held : kHeld) {
    if (command.modifiers & held.bit) {
      window_.PostEvent(KeyEvent(input::kKeyDown, held.virtualKey,
                                 kKeyRepeatOne | (held.bit == kScriptAlt ? altBit : 0)));
    }
  }
  window_.PostEvent(KeyEvent(input::kKeyDown, command.key, kKeyRepeatOne | altBit));
  if (alt) {
    // With Alt held the key is a shortcut: a character message whose data is the Alt bit.
    if (uint32_t c = AltCharacter(command.key, shift)) {
      window_.PostEvent(KeyEvent(input::kChar, c, input::kAltBit));
    }
  } else if (KeyTypesControlCharacter(command.key)) {
    window_.PostEvent(KeyEvent(input::kChar, command.key, kKeyRepeatOne));
  }
  window_.PostEvent(KeyEvent(input::kKeyUp, command.key, up | altBit));
  for (size_t i = std::size(kHeld); i-- > 0;) {
    if (command.modifiers & kHeld[i].bit) {
      window_.PostEvent(KeyEvent(input::kKeyUp, kHeld[i].virtualKey, up));
    }
  }
}

bool ScriptRunner::Run(const ScriptCommand& command, ScriptHost& host, bool& yield) {
  uint32_t now = clock_.Milliseconds();
  if (!started_) {
    started_ = true;
    startTime_ = now;
  }
  uint32_t waited = now - startTime_;
  switch (command.op) {
    case ScriptOp::Wait:
      return waited >= command.milliseconds;
    case ScriptOp::WaitScreen: {
      std::string top = host.TopScreenName();
      if (SameText(top, command.text)) return true;
      if (waited >= command.milliseconds) {
        Fail(command, "screen \"" + command.text + "\" not on top after " +
                          std::to_string(command.milliseconds) + " ms (top: \"" + top + "\")");
      }
      return false;
    }
    case ScriptOp::ExpectScreen: {
      std::string top = host.TopScreenName();
      if (SameText(top, command.text)) return true;
      Fail(command, "expected screen \"" + command.text + "\", top is \"" + top + "\"");
      return false;
    }
    case ScriptOp::Move:
    case ScriptOp::Click:
    case ScriptOp::Press:
    case ScriptOp::Release: {
      // The pointer goes there too, for what reads its position rather than events.
      Point p = host.DesignToWindow(command.point);
      window_.WarpCursor(p);
      window_.PostEvent(MouseEvent(input::kMouseMove, p.X, p.Y, heldButtons_));
      bool right = command.button == ScriptButton::Right;
      uint32_t flag = right ? kMouseFlagRight : kMouseFlagLeft;
      if (command.op == ScriptOp::Click || command.op == ScriptOp::Press) {
        heldButtons_ |= flag;
        window_.PostEvent(MouseEvent(right ? input::kRightButtonDown : input::kLeftButtonDown, p.X,
                                     p.Y, heldButtons_));
      }
      if (command.op == ScriptOp::Click || command.op == ScriptOp::Release) {
        heldButtons_ &= ~flag;
        window_.PostEvent(MouseEvent(right ? input::kRightButtonUp : input::kLeftButtonUp, p.X, p.Y,
                                     heldButtons_));
      }
      yield = true;
      return true;
    }
    case ScriptOp::Close:
      window_.PostEvent(PlainEvent(EventType::CloseRequest));
      yield = true;
      return true;
    case ScriptOp::Key:
      PostKey(command);
      yield = true;
      return true;
    case ScriptOp::Char: {
      ForEachCodePoint(command.text, [this](uint32_t code) {
        window_.PostEvent(KeyEvent(input::kChar, code, kKeyRepeatOne));
      });
      yield = true;
      return true;
    }
    case ScriptOp::Screenshot: {
      std::string error;
      if (video_.Screenshot(PathFromStartFolder(command.text), error)) return true;
      Fail(command, "screenshot: " + error);
      return false;
    }
    case ScriptOp::Seed:
      host.Reseed(command.seed);
      return true;
    case ScriptOp::Quit:
      finished_ = true;
      window_.PostQuit();
      return false;
  }
  return true;
}

}  // namespace platform
