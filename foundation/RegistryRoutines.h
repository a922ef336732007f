#pragma once
// Single string values under a key path, as the program once kept them in the system
// registry. Here they live in small files in the user's configuration folder
// ($XDG_CONFIG_HOME, else ~/.config): one file per value, under folders named after the
// root and the key path. The game keeps its options in "options.dat" instead; this is
// for the configurations that ask for the registry.

#include <string>

enum class TRegistryRoot { CurrentUser, LocalMachine };

// Found only when the value exists and could be read. Read and written as the player's
// files are: only a regular file of a sane size, never through a link, owner-only; what
// else sits there, and a failed write, is said with a warning naming the file.
bool ReadRegistryString(TRegistryRoot root, const std::string& keyPath,
                        const std::string& valueName, std::string& value);
// Creates the key when missing; false when the value could not be written.
bool WriteRegistryString(TRegistryRoot root, const std::string& keyPath,
                         const std::string& valueName, const std::string& value);

// Where the values live (a native folder); tests point it elsewhere. '' restores the
// configuration folder.
void SetRegistryFolder(const std::string& folder);
std::string RegistryFolder();
