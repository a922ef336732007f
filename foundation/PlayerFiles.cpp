#include "foundation/PlayerFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <iterator>
#include <set>
#include <vector>

#include "foundation/Cipher.h"
#include "foundation/EngineInterfaces.h"
#include "foundation/Exceptions.h"
#include "foundation/SafeFile.h"
#include "foundation/SimpleXML.h"
#include "foundation/Warnings.h"
#include "foundation/XMLStorage.h"
#include "platform/ErrorText.h"

namespace {

// Copies of one file kept side by side before moving aside gives up.
constexpr int kMaxDamagedCopies = 1000;

std::set<std::string>& RefusedFiles() {
  static std::set<std::string> files;
  return files;
}

TMoveAsideFaultHook& MoveAsideHook() {
  static TMoveAsideFaultHook hook;
  return hook;
}

// Attributes that would tie a player's document to other files: an overlay read from
// anywhere and saved back there, a template saved into it, or values replaced from the
// game file.
constexpr const char* kReservedAttributes[] = {"_outstorage", "template", "_object_guid"};

// Drops them at every depth; says how many elements held each ('' when none did).
std::string DropReservedAttributes(const Ref<IXmlNode>& root) {
  int held[std::size(kReservedAttributes)] = {};
  std::vector<Ref<IXmlNode>> pending{root};
  while (!pending.empty()) {
    Ref<IXmlNode> node = std::move(pending.back());
    pending.pop_back();
    if (!node || node->GetNodeType() != NODE_ELEMENT) continue;
    for (size_t i = 0; i < std::size(kReservedAttributes); ++i) {
      if (!node->HasAttr(kReservedAttributes[i])) continue;
      node->RemoveAttr(kReservedAttributes[i]);
      ++held[i];
    }
    Ref<IXmlNodeList> children = node->GetChildNodes();
    int count = children ? children->Count() : 0;
    for (int i = 0; i < count; ++i) pending.push_back(children->Item(i));
  }
  std::string dropped;
  for (size_t i = 0; i < std::size(kReservedAttributes); ++i) {
    if (held[i] == 0) continue;
    if (!dropped.empty()) dropped += ", ";
    dropped += "\"" + std::string(kReservedAttributes[i]) + "\" (" + std::to_string(held[i]) +
               (held[i] == 1 ? " element)" : " elements)");
  }
  return dropped;
}

// The document of plain XML text, reserved attributes dropped and said under File; none
// when it has no root element. Raised tells a syntax error (Problem holds its message)
// from text that simply holds no element.
Ref<IHierStorageRoot> ParseStandalone(std::string_view text, const std::string& file,
                                      std::string_view where, bool& raised, std::string& problem) {
  raised = false;
  problem.clear();
  try {
    Ref<IXmlDocument> document = LoadXmlFromBuffer(text.data(), text.size());
    Ref<IXmlElement> root = document ? document->GetDocumentElement() : nullptr;
    if (!root) return nullptr;
    // Dropped before any storage is attached: attaching opens an element's overlay.
    if (std::string dropped = DropReservedAttributes(Ref<IXmlNode>(root.get())); !dropped.empty())
      Warn(file, std::string(where) + dropped +
                     " dropped: a player's file leans on no other file and is saved nowhere else");
    Ref<TXMLStorage> storage = NewXmlStorage();
    storage->SetDataFile(file);
    storage->Attach(Ref<IXmlNode>(root.get()), document);
    return Ref<IHierStorageRoot>(storage.get());
  } catch (const Exception& error) {
    raised = true;
    problem = error.Message();
  }
  return nullptr;
}

// Renames without replacing anything at To and without following a link at From. 0 or
// the system error.
int MoveWithoutReplacing(const std::string& from, const std::string& to) {
  if (MoveAsideHook())
    if (int error = MoveAsideHook()(from)) return error;
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  int error = errno;
  if (error != EINVAL && error != ENOSYS) return error;
  // A file system without that rename: a second name first (link does not follow a
  // link), then the first name goes.
  if (link(from.c_str(), to.c_str()) != 0) return errno;
  if (unlink(from.c_str()) != 0) {
    error = errno;
    unlink(to.c_str());
    return error;
  }
  return 0;
}

std::string CopyName(const std::string& path, int number) {
  std::string copy = path + ".damaged";
  if (number > 1) copy += "-" + std::to_string(number);
  return copy;
}

}  // namespace

std::string PlayerFilePath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return {};
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

Ref<IHierStorageRoot> ParsePlayerText(std::string_view text, const std::string& file,
                                      std::string& problem, std::string_view where) {
  bool raised = false;
  Ref<IHierStorageRoot> storage = ParseStandalone(text, file, where, raised, problem);
  if (storage || raised) return storage;
  problem = XmlTextProblem(text);
  if (problem.empty()) problem = "no XML element";
  return nullptr;
}

Ref<IHierStorageRoot> ParsePlayerDocument(std::string_view bytes, const std::string& key,
                                          const std::string& file, std::string& problem) {
  problem.clear();
  if (bytes.empty()) {
    problem = "empty";
    return nullptr;
  }
  std::string text = key.empty() ? std::string(bytes)
                                 : TCipher_Xtea(key).CodeString(bytes, kCipherDecipher, kFormatHex);
  bool raised = false;
  Ref<IHierStorageRoot> storage = ParseStandalone(text, file, {}, raised, problem);
  if (!storage)
    problem = "it holds no XML document: " +
              (raised ? problem : std::string("the wrong key or damaged text"));
  return storage;
}

TPlayerDocument ReadPlayerDocument(const std::string& path, const std::string& key) {
  TPlayerDocument document;
  TPlayerFile file = ReadPlayerFile(path);
  document.state = file.state;
  document.problem = std::move(file.problem);
  if (file.state != TPlayerFileState::Read) return document;
  document.storage = ParsePlayerDocument(file.bytes, key, path, document.problem);
  if (!document.storage) document.state = TPlayerFileState::Damaged;
  return document;
}

Ref<IHierStorageRoot> LoadPlayerDocument(const std::string& path, const std::string& key,
                                         std::string_view instead) {
  if (path.empty()) return nullptr;
  TPlayerDocument document = ReadPlayerDocument(path, key);
  if (document.state == TPlayerFileState::Damaged)
    SetAsideDamagedFile(path, document.problem, instead);
  return document.storage;
}

Ref<IHierStorageRoot> LoadDefaultDocument(const std::string& path, const std::string& key,
                                          std::string_view instead) {
  if (path.empty()) return nullptr;
  TPlayerDocument document = ReadPlayerDocument(path, key);
  if (document.state == TPlayerFileState::Damaged)
    Warn(path, "damaged (" + document.problem + "); left in place; " + std::string(instead));
  return document.storage;
}

void LoadPlayerOrDefaultObject(IEngine* engine, IPersistObject& object, const std::string& name,
                               const std::string& key, const std::string& what,
                               bool fromProgramFolder) {
  if (!engine) return;
  Ref<IHierStorageRoot> storage;
  if (!fromProgramFolder)
    storage = LoadPlayerDocument(PlayerFilePath(engine->GetPreferenceFolder(), name), key,
                                 "reading the program folder's " + what + " instead");
  if (!storage)
    storage = LoadDefaultDocument(PlayerFilePath(engine->GetProgramFolder(), name), key,
                                  "the " + what + " start empty");
  LoadPlayerObject(storage, object, name);
}

void LoadPlayerObject(const Ref<IHierStorageRoot>& storage, IPersistObject& object,
                      const std::string& file) {
  if (!storage) return;
  try {
    storage->LoadObject(&object);
  } catch (const std::exception& error) {
    Warn(file, std::string("loading stopped: ") + error.what());
  }
}

bool MoveDamagedFileAside(const std::string& path, std::string& copy, std::string& problem) {
  copy.clear();
  problem.clear();
  for (int number = 1; number <= kMaxDamagedCopies; ++number) {
    std::string candidate = CopyName(path, number);
    int error = MoveWithoutReplacing(path, candidate);
    if (error == 0) {
      copy = candidate;
      return true;
    }
    if (error != EEXIST && error != ENOTEMPTY) {
      problem = platform::SystemErrorText(error);
      return false;
    }
  }
  problem = "no free name up to " + CopyName(path, kMaxDamagedCopies);
  return false;
}

void SetAsideDamagedFile(const std::string& path, std::string_view problem,
                         std::string_view instead) {
  std::string copy, failure;
  std::string damaged = "damaged (" + std::string(problem) + "); ";
  if (MoveDamagedFileAside(path, copy, failure)) {
    Warn(path, damaged + "moved aside to " + copy + "; " + std::string(instead));
    return;
  }
  RefusedFiles().insert(path);
  Warn(path, damaged + "it could not be moved aside (" + failure +
                 "), so it is not saved over in this run; " + std::string(instead));
}

bool CopyPlayerFileAside(const std::string& path, std::string& copy, std::string& problem) {
  copy.clear();
  problem.clear();
  if (MoveAsideHook())
    if (int error = MoveAsideHook()(path)) {
      problem = platform::SystemErrorText(error);
      return false;
    }
  TPlayerFile file = ReadPlayerFile(path);
  if (file.state != TPlayerFileState::Read) {
    problem = file.state == TPlayerFileState::Absent ? "no such file" : file.problem;
    return false;
  }
  for (int number = 1; number <= kMaxDamagedCopies; ++number) {
    std::string candidate = CopyName(path, number);
    int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) {
      problem = platform::SystemErrorText(errno);
      return false;
    }
    int error = 0;
    for (size_t done = 0; done < file.bytes.size() && !error;) {
      ssize_t n = write(fd, file.bytes.data() + done, file.bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) error = n < 0 ? errno : ENOSPC;
      done += n > 0 ? static_cast<size_t>(n) : 0;
    }
    if (!error && fsync(fd) != 0) error = errno;
    if (close(fd) != 0 && !error) error = errno;
    if (error) {
      unlink(candidate.c_str());  // a part of a copy is no copy
      problem = platform::SystemErrorText(error);
      return false;
    }
    copy = candidate;
    return true;
  }
  problem = "no free name up to " + CopyName(path, kMaxDamagedCopies);
  return false;
}

void KeepCopyOfPlayerFile(const std::string& path, std::string_view dropped) {
  std::string copy, failure;
  if (CopyPlayerFileAside(path, copy, failure)) {
    Warn(path, std::string(dropped) + "; the file as it was is copied to " + copy);
    return;
  }
  RefusedFiles().insert(path);
  Warn(path, std::string(dropped) + "; the file could not be copied aside (" + failure +
                 "), so it is not saved over in this run");
}

bool IsPlayerFileSaveRefused(const std::string& path) {
  return RefusedFiles().count(path) > 0;
}

void ForgetRefusedPlayerFiles() {
  RefusedFiles().clear();
}

void SetMoveAsideFaultHook(TMoveAsideFaultHook hook) {
  MoveAsideHook() = std::move(hook);
}

bool SavePlayerDocument(IEngine* engine, const Ref<IHierStorageRoot>& storage,
                        const std::string& name, const std::string& key) {
  if (!engine || !storage) return false;
  if (IsPlayerFileSaveRefused(PlayerFilePath(engine->GetPreferenceFolder(), name))) return false;
  std::string text = storage->GetXmlText();
  if (!key.empty()) text = TCipher_Xtea(key).CodeString(text, kCipherEncipher, kFormatHex);
  return engine->WritePreferenceFile(text, name);
}
