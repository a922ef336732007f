#pragma once
// Where the program and the player's files live, and reading and saving whole files
// there safely: per-user folders under the XDG base directories, never a folder that
// any user may write into (unless sticky), never through a symbolic link.

#include <string>
#include <vector>

namespace platform {

// Records the command line; call once at the start of main.
void SetProgramArguments(int argc, const char* const* argv);
// The arguments after the program's name.
const std::vector<std::string>& ProgramArguments();
// A path given by the user (environment, script) made absolute against the folder that
// was current when the program started, since the engine later changes folder.
std::string PathFromStartFolder(const std::string& path);

// The folder of the executable, ending in "/".
std::string ProgramFolder();

// $XDG_DATA_HOME when it is an absolute path, else ~/.local/share; ending in "/".
// Empty when there is no home folder.
std::string UserDataFolder();
// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config; ending in "/".
std::string UserConfigFolder();

// The player's preference folder, ending in "/", made when missing (readable by the
// user only). $GAME_PREFERENCE_DIR when set; else the user data folder followed by
// maker and game folders. When the maker or the game folder cannot be made, the user
// data folder itself. Empty when no usable folder can be had.
std::string PreferenceFolder(const std::string& maker, const std::string& game);

// Makes the folder and its missing parents (mode 0700 for those made). True when it
// then is a usable folder: a directory, not writable by everyone unless sticky.
bool MakeFolder(const std::string& path);
bool IsUsableFolder(const std::string& path);

// The whole content of a regular file, opened without following a symbolic link in
// its last component; false when it cannot be read or is larger than maxBytes.
bool ReadWholeFile(const std::string& path, std::string& data, size_t maxBytes = 64u << 20);
// Saves data as the file's new content: written to a new file beside it, flushed to
// disk, then renamed over the old one, so a crash leaves the old or the new content.
// A symbolic link in the file's place is replaced, not followed.
bool ReplaceWholeFile(const std::string& path, const std::string& data);

}  // namespace platform
