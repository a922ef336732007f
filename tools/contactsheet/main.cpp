// contactsheet OUT.png FACE.ttf LIST: one picture of many screenshots, each scaled to a
// quarter and captioned beneath, in rows of six. LIST has one "PICTURE CAPTION..." per line
// (pictures relative to the list's folder; "#" starts a comment). A picture that does not
// read leaves its cell grey and makes the exit status 1; the sheet is written all the same.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Png.h"
#include "tools/assetgen/Canvas.h"
#include "tools/assetgen/Fonts.h"

namespace {

constexpr int kScale = 4;
constexpr int kColumns = 6;
constexpr int kCellWidth = 1024 / kScale;
constexpr int kCellHeight = 768 / kScale;
constexpr int kCaptionHeight = 22;
constexpr int kGap = 6;
constexpr uint32_t kBackground = 0xFF202020;
constexpr uint32_t kMissing = 0xFF808080;

struct Entry {
  std::string picture, caption;
};

std::vector<Entry> ReadList(const std::string& path) {
  std::vector<Entry> entries;
  std::ifstream in(path);
  const std::filesystem::path base = std::filesystem::path(path).parent_path();
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    Entry entry;
    if (!(words >> entry.picture) || entry.picture[0] == '#') continue;
    std::getline(words >> std::ws, entry.caption);
    entry.picture = (base / entry.picture).string();
    entries.push_back(entry);
  }
  return entries;
}

class Sheet {
 public:
  Sheet(int cells) : rows_((cells + kColumns - 1) / kColumns) {
    width_ = kColumns * (kCellWidth + kGap) + kGap;
    height_ = rows_ * (kCellHeight + kCaptionHeight + kGap) + kGap;
    pixels_.assign(size_t(width_) * size_t(height_), kBackground);
  }

  // The picture's box average over Scale x Scale pixels, or grey when there is none.
  void Thumbnail(int cell, const platform::PngImage* picture) {
    const int left = CellLeft(cell), top = CellTop(cell);
    for (int y = 0; y < kCellHeight; ++y)
      for (int x = 0; x < kCellWidth; ++x)
        Put(left + x, top + y, picture ? Average(*picture, x, y) : kMissing);
  }

  void Caption(int cell, const std::string& face, const std::string& text) {
    if (text.empty()) return;
    assetgen::Mask mask = assetgen::RenderTextMask(face, 14, text, 1);
    const int left = CellLeft(cell), top = CellTop(cell) + kCellHeight + 2;
    for (int y = 0; y < mask.height && y < kCaptionHeight; ++y)
      for (int x = 0; x < mask.width && x < kCellWidth; ++x) {
        const int level = int(mask.At(x, y) * 255.0f + 0.5f);
        if (level <= 0) continue;
        const uint32_t grey = uint32_t(0x20 + (0xF0 - 0x20) * level / 255);
        Put(left + x, top + y, 0xFF000000u | grey << 16 | grey << 8 | grey);
      }
  }

  bool Write(const std::string& path, std::string& error) const {
    return platform::WritePng(path, pixels_.data(), width_, height_, width_, error);
  }

 private:
  int CellLeft(int cell) const { return kGap + (cell % kColumns) * (kCellWidth + kGap); }
  int CellTop(int cell) const {
    return kGap + (cell / kColumns) * (kCellHeight + kCaptionHeight + kGap);
  }
  void Put(int x, int y, uint32_t pixel) {
    pixels_[size_t(y) * size_t(width_) + size_t(x)] = pixel;
  }

  static uint32_t Average(const platform::PngImage& picture, int cellX, int cellY) {
    uint32_t sum[3] = {0, 0, 0};
    int count = 0;
    for (int dy = 0; dy < kScale; ++dy)
      for (int dx = 0; dx < kScale; ++dx) {
        const int x = cellX * kScale + dx, y = cellY * kScale + dy;
        if (x >= picture.width || y >= picture.height) continue;
        const uint32_t p = picture.At(x, y);
        sum[0] += (p >> 16) & 0xFF;
        sum[1] += (p >> 8) & 0xFF;
        sum[2] += p & 0xFF;
        ++count;
      }
    if (count == 0) return kMissing;
    return 0xFF000000u | (sum[0] / count) << 16 | (sum[1] / count) << 8 | (sum[2] / count);
  }

  int rows_;
  int width_ = 0, height_ = 0;
  std::vector<uint32_t> pixels_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: contactsheet OUT.png FACE.ttf LIST\n");
    return 2;
  }
  const std::vector<Entry> entries = ReadList(argv[3]);
  if (entries.empty()) {
    std::fprintf(stderr, "contactsheet: %s: no pictures listed\n", argv[3]);
    return 2;
  }
  Sheet sheet(int(entries.size()));
  int status = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    platform::PngImage picture;
    std::string error;
    const bool read = platform::ReadPng(entries[i].picture, picture, error);
    if (!read) {
      std::fprintf(stderr, "contactsheet: %s\n", error.c_str());
      status = 1;
    }
    sheet.Thumbnail(int(i), read ? &picture : nullptr);
    try {
      sheet.Caption(int(i), argv[2], entries[i].caption);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "contactsheet: %s\n", e.what());
      return 2;
    }
  }
  std::string error;
  if (!sheet.Write(argv[1], error)) {
    std::fprintf(stderr, "contactsheet: %s\n", error.c_str());
    return 2;
  }
  return status;
}
