#pragma once
// The player's own files (options, profiles, high scores, level records): enciphered XML
// documents that only this game writes, in the preference folder. Loading one tells three
// cases apart: there is no such file, it was read, or something is there that is no such
// file (damaged: unreadable, not a regular file, empty, the wrong key, not XML).
//
// A damaged file is never lost by being saved over. It is moved aside at once, beside
// itself, to the first free name of "NAME.damaged", "NAME.damaged-2", "NAME.damaged-3",
// ... (never replacing an earlier copy, never following a link), and one warning names the
// file and its copy:
//
//   warning: /home/ann/.local/share/OstrelGames/Tavelor2/users.dat: damaged (it holds no
//   XML document: the wrong key or damaged text); moved aside to .../users.dat.damaged;
//   the game starts with no players
//
// When it cannot be moved, nothing is saved over it for the rest of the run, and the
// warning says so. A damaged default in the program folder is reported and left alone.

#include <functional>
#include <string>
#include <string_view>

#include "foundation/PersistenceService.h"
#include "foundation/SafeFile.h"

class IEngine;

// What a player file holds: Read (a document), Absent, or Damaged (Problem says why).
struct TPlayerDocument {
  TPlayerFileState state = TPlayerFileState::Absent;
  Ref<IHierStorageRoot> storage;  // Read: attached to the root element
  std::string problem;            // Damaged: why it is no player file
};

// Folder (ending in "/" or not) joined with Name; '' when there is no folder.
std::string PlayerFilePath(const std::string& folder, const std::string& name);

// XML text that comes from a player's file, or is kept inside one (a profile's progress):
// its document, or none, with Problem saying why, when it holds no XML element. Whatever
// would tie it to other files is dropped at any depth, before anything is read: overlays
// ("_outstorage"), templates ("template") and object guids ("_object_guid"). A player's
// document stands alone, read from and saved to its own file only; one warning names File
// (Where says where in it, as "player "Ann": progress: ") and what was dropped.
Ref<IHierStorageRoot> ParsePlayerText(std::string_view text, const std::string& file,
                                      std::string& problem, std::string_view where = {});

// The file's bytes as the game saved them: hexadecimal cipher text under Key (plain XML
// for an empty key), parsed as ParsePlayerText does. None, with Problem saying why, when
// they hold no XML document with a root element.
Ref<IHierStorageRoot> ParsePlayerDocument(std::string_view bytes, const std::string& key,
                                          const std::string& file, std::string& problem);

// Reads and parses the file at Path (a native path). Says nothing.
TPlayerDocument ReadPlayerDocument(const std::string& path, const std::string& key);

// The preference folder's file: its document, or none when it is absent or damaged. A
// damaged one is moved aside and reported; Instead says what the game does without it
// ("the game starts with no players").
Ref<IHierStorageRoot> LoadPlayerDocument(const std::string& path, const std::string& key,
                                         std::string_view instead);
// The program folder's default: a damaged one is reported and left in place.
Ref<IHierStorageRoot> LoadDefaultDocument(const std::string& path, const std::string& key,
                                          std::string_view instead);

// The object loads from the preference folder's file Name, or, when that is absent or
// damaged (and always with FromProgramFolder), from the program folder's: the default
// the game ships. What names the data in the warnings ("high scores").
void LoadPlayerOrDefaultObject(IEngine* engine, IPersistObject& object, const std::string& name,
                               const std::string& key, const std::string& what,
                               bool fromProgramFolder = false);

// The object loads itself from the document. An error on the way (none is expected of a
// document that parsed) is reported for File; what loaded so far stays.
void LoadPlayerObject(const Ref<IHierStorageRoot>& storage, IPersistObject& object,
                      const std::string& file);

// Moves the damaged file (or whatever stands in its place) aside to the first free name
// "PATH.damaged", "PATH.damaged-2", ...; Copy is where it went. False, with the system's
// reason in Problem, when it could not be moved.
bool MoveDamagedFileAside(const std::string& path, std::string& copy, std::string& problem);
// Moves the damaged file aside and warns, naming it and its copy; a file that could not
// be moved is not saved over for the rest of the run.
void SetAsideDamagedFile(const std::string& path, std::string_view problem,
                         std::string_view instead);

// Copies the player file at Path as it is to the first free name "PATH.damaged",
// "PATH.damaged-2", ... (a new file, the player's only; nothing replaced, no link
// followed). Copy is where it went. False, with the reason in Problem, when it could not.
bool CopyPlayerFileAside(const std::string& path, std::string& copy, std::string& problem);
// Before the game drops part of a file it read (Dropped says what, as "player "Ann" is
// named more than once: the first is kept"), the file as it is is copied aside and one
// warning names the file, what is dropped and the copy. When no copy can be made, the
// file is not saved over for the rest of the run, and the warning says so.
void KeepCopyOfPlayerFile(const std::string& path, std::string_view dropped);

// True when saves over Path are refused for the rest of the run: a damaged file there
// could not be moved aside.
bool IsPlayerFileSaveRefused(const std::string& path);
// Forgets the refusals (tests start each case afresh).
void ForgetRefusedPlayerFiles();

// Tests make moving (or copying) aside fail: a non-zero answer is the system error number
// the move or the copy fails with. An empty hook restores the real ones.
using TMoveAsideFaultHook = std::function<int(const std::string& path)>;
void SetMoveAsideFaultHook(TMoveAsideFaultHook hook);

// The document's XML text enciphered with Key (kept plain for an empty key) and saved
// through the engine as the preference file Name. False when nothing was written: no
// engine, a refused file, or a failed save.
bool SavePlayerDocument(IEngine* engine, const Ref<IHierStorageRoot>& storage,
                        const std::string& name, const std::string& key);
