#pragma once
// One asset from one line of a source file: what main() and the tests call.
//
// The lines, by asset kind (the words after the name are "key=value" parameters):
//   image  NAME.png|NAME.jpg|NAME.jpng  PICTURE-KIND ...  (.jpng: NAME.png alpha + NAME.jpg)
//   font   NAME ...                                       (NAME.png atlas + NAME.xml table)
//   sound  NAME.wav  SOUND-KIND ...
//   music  NAME.ogg ...

#include <string>
#include <vector>

namespace assetgen {

struct AssetRequest {
  std::string kind;                // "image", "font", "sound" or "music"
  std::string outDir;              // the files go here
  std::vector<std::string> words;  // the source line: name, then the rest
  std::string fontDir;             // where bare font names are found
};

// The files a request writes, from its kind and name alone (the build lists them).
std::vector<std::string> AssetOutputs(const std::string& kind, const std::string& outDir,
                                      const std::string& name);

// Generates and writes the asset; returns the paths written. Throws AssetError.
std::vector<std::string> GenerateAsset(const AssetRequest& request);

// The asset kinds, for the usage text.
const std::vector<std::string>& AssetKinds();

}  // namespace assetgen
