#pragma once
// Builds zip archives that the resource file tree reads in place of folders: what the
// data tool packs the game's folders with, and what tests make their fixtures with.

#include <optional>
#include <string>
#include <vector>

struct TArchiveEntry {
  std::string name;  // "/" separators, as zip entries have them
  std::string bytes;
};

// The archive's bytes, entries in the given order, deflated unless Stored. Nothing when
// an entry cannot be added (an empty name). Dates are fixed so that the same entries
// always give the same bytes.
std::optional<std::string> BuildZipArchive(const std::vector<TArchiveEntry>& entries,
                                           bool stored = false);
