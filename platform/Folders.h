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

// Why a folder was not used: the folder and the reason, both empty when it was.
struct FolderRefusal {
  std::string folder;
  std::string reason;
};

// The player's preference folder, ending in "/", made when missing (readable by the
// user only). $GAME_PREFERENCE_DIR when set; else the user data folder followed by
// maker and game folders. When the maker or the game folder cannot be made, the user
// data folder itself. Empty when no usable folder can be had; Refusal then says which
// folder was refused and why.
std::string PreferenceFolder(const std::string& maker, const std::string& game);
std::string PreferenceFolder(const std::string& maker, const std::string& game,
                             FolderRefusal& refusal);
// Where PreferenceFolder looks first, ending in "/", without making or checking anything
// (for messages); empty without a home folder.
std::string PreferenceFolderPlace(const std::string& maker, const std::string& game);

// Makes the folder and its missing parents (mode 0700 for those made). True when it
// then is a usable folder: a directory, not writable by everyone unless sticky. Problem
// says why not.
bool MakeFolder(const std::string& path);
bool MakeFolder(const std::string& path, std::string& problem);
bool IsUsableFolder(const std::string& path);
// Why the folder is not usable ('' when it is).
std::string FolderProblem(const std::string& path);

// What reading a file found.
enum class FileReadState { Read, Absent, Refused };
// Reads the whole content of a regular file, opened without following a symbolic link in
// its last component and without blocking (a named pipe or a device is refused, never
// waited on); the type is checked on the opened file. Absent when there is no such
// file; Refused, with Problem saying why ("a symbolic link", "a named pipe", "larger
// than N bytes", the system's reason), when it is not a regular file of at most
// maxBytes or cannot be read. Data is empty unless Read.
FileReadState ReadRegularFile(const std::string& path, std::string& data, size_t maxBytes,
                              std::string& problem);
// The same, true only when Read.
bool ReadWholeFile(const std::string& path, std::string& data, size_t maxBytes = 64u << 20);

// A new file beside Path for its next content, named after it and this process
// ("NAME.tmpPID-XXXXXX"; a short hidden name when that would be too long), created
// exclusively with mode 0600 and locked while it is open. -1 (errno set) when it
// cannot be made.
int CreateTemporaryBeside(const std::string& path, std::string& temporary);
// Removes the temporaries of Path left behind by processes that ended part-way through
// a save: only this user's regular files, of processes that are gone, that nobody
// holds locked.
void RemoveStaleTemporaries(const std::string& path);

// Saves data as the file's new content (mode 0600): written to a new file beside it,
// flushed to disk, then renamed over the old one, so a crash leaves the old or the new
// content. A symbolic link in the file's place is replaced, not followed.
bool ReplaceWholeFile(const std::string& path, const std::string& data);

}  // namespace platform
