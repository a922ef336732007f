#pragma once
// A fresh folder under the system's temporary folder for one test, removed with
// everything in it when the test ends.

#include <filesystem>
#include <string>

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The native path of Relative ("/" separators) inside the folder.
  std::string operator/(const std::string& relative) const { return (path_ / relative).string(); }
  // Writes a file, making the folders on its way.
  void Write(const std::string& relative, const std::string& bytes) const;
  std::string Read(const std::string& relative) const;

 private:
  std::filesystem::path path_;
};
