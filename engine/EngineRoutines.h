#pragma once
// The program's main routine, the folders the program and the player's files live in,
// whole text files there, and the text and number helpers every part uses.

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/Interface.h"

namespace platform {
class Shell;
}
class TEngine;

// --- Start-up

// Sets the resource tree's archive extension, the default language file, the program
// folder (made the current folder) and the options store's preference folder. Runs once;
// later calls do nothing.
void InitEngineRoutines();
// The main routine: the command line (--help and --version are answered at once, a
// misuse with one line on stderr and status 2), start-up parameters, language, then the
// engine until it ends. Returns the program's exit status: 0 after a normal end; 1 when
// the engine could not start (no display, no game) or a script check failed, after one
// line on stderr.
int RunApplication();
// Reads "data\ini\startupParams.ini" when present: "lang_file_name" (or
// "default_resource_name") sets the language file, "preference_folder_name" the
// preference folder's name.
void ReadStartupParams();
// Creates the engine and initialises it with the game file; none (and why, in
// failure) when that fails.
Ref<TEngine> CreateEngine(std::string& failure);
// CreateEngine, run, finalise; the exit status as RunApplication's.
int RunEngine();

// --- Folders. Native paths ending in "/".

// The executable's folder; or, when the command line is exactly "-changepath NAME", the
// folder NAME (lower-cased, found without regard to case) below it.
std::string GetProgramFolder();
// The player's folder: $GAME_PREFERENCE_DIR, else the per-user data folder's maker and
// game folders (made when missing). '' when no usable folder can be had (the path is a
// file, a folder everyone may write to without the sticky bit, ...): the refusal is said
// once on stderr, and the game then runs without player files: none is read or saved,
// never in the program folder instead.
std::string GetPreferenceFolder();

// Whole text files, lines ending in CR LF. Reading gives '' for a missing file, and for
// anything but a regular file of a sane size (with a warning naming it).
std::string ReadPreferenceFile(const std::string& name);
// Saved safely (temporary file, then renamed over the old one), preference files
// readable by the player only; false, with one line on stderr saying which file and why,
// when the file could not be written (the old file is then intact), and false without a
// preference folder.
bool WritePreferenceFile(const std::string& text, const std::string& name);
bool WriteProgramFolderFile(const std::string& text, const std::string& name);

// --- Helpers

// Text with every line ending in CR LF (a line ends at CR LF, CR or LF; the last one gets
// an ending too), as the player's text files are written and text files are read.
std::string WithCrLfLines(const std::string& text);
// Every occurrence of from replaced, case-sensitive; an empty from changes nothing.
std::string ReplaceAll(const std::string& text, const std::string& from, const std::string& to);
// The shell of the running engine's platform, which the helpers below use; without
// one documents go to the desktop's opener directly and the clipboard reads empty.
void SetCurrentShell(platform::Shell* shell);
platform::Shell* GetCurrentShell();
// Hands the file or address to the desktop's program for it, as an argument list (no
// shell reads it). 0 when it was started, else a non-zero code.
int OpenDocument(const std::string& pathOrAddress);
int32_t StrToIntDefault(const std::string& text, int32_t def);
double StrToFloatDefault(const std::string& text, double def);
std::string GetClipboardText();
// The digits of n in groups of three joined by the translation of "%thousand_separator%".
std::string FormatThousands(int64_t n);
// Minutes (at least two digits), the translation of "%time_separator%", seconds (two
// digits).
std::string FormatMinSec(int32_t seconds);
// The same with the separator given as it is (empty: none): a text shown every second
// translates its separator once, even where the language has none.
std::string FormatMinSec(int32_t seconds, std::string_view separator);
