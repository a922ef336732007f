#pragma once
// Encoders for the generated pictures and the one routine that writes any output file.
// Both encoders give the same bytes for the same pixels on every run: no time chunk, no
// text chunk, fixed compression settings.

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

// `channels`: 1 grey, 3 RGB, 4 RGBA (straight alpha); rows top first, no padding.
std::vector<uint8_t> EncodePng(int width, int height, int channels,
                               const std::vector<uint8_t>& pixels);
// Baseline JPEG of 8-bit RGB rows.
std::vector<uint8_t> EncodeJpeg(int width, int height, const std::vector<uint8_t>& rgb,
                                int quality);

// Creates the folder when needed; throws AssetError when the file cannot be written.
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
void WriteText(const std::string& path, const std::string& text);

}  // namespace assetgen
