// assetgen: makes one binary asset of the sample game (a picture, a bitmap font, a sound
// effect or a music piece) from one line of a source file in data/assets/. The build runs
// it once per line; the same line always gives the same bytes.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/assetgen/Generate.h"
#include "tools/assetgen/Pictures.h"
#include "tools/assetgen/Sounds.h"

namespace {

std::string List(const std::vector<std::string>& words) {
  std::string s;
  for (const std::string& w : words) s += (s.empty() ? "" : " ") + w;
  return s;
}

void PrintHelp() {
  std::printf(
      "usage: assetgen [--fontdir DIR] KIND OUTDIR NAME [WORDS...]\n\n"
      "  image OUTDIR NAME.png|NAME.jpg|NAME.jpng PICTURE [key=value...]\n"
      "        pictures: %s\n"
      "  font  OUTDIR NAME [key=value...]        writes NAME.png and NAME.xml\n"
      "  sound OUTDIR NAME.wav SOUND [key=value...]\n"
      "        sounds: %s\n"
      "  music OUTDIR NAME.ogg [key=value...]\n\n"
      "Bare font names (face=...) are looked up in --fontdir (default %s).\n",
      List(assetgen::PictureKinds()).c_str(), List(assetgen::SoundKinds()).c_str(),
      "/usr/share/fonts/truetype/dejavu");
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h") {
    PrintHelp();
    return args.empty() ? 2 : 0;
  }
  assetgen::AssetRequest request;
  request.fontDir = "/usr/share/fonts/truetype/dejavu";
  size_t i = 0;
  if (args[0] == "--fontdir") {
    if (args.size() < 2) {
      std::fprintf(stderr, "assetgen: --fontdir needs a folder\n");
      return 2;
    }
    request.fontDir = args[1];
    i = 2;
  }
  if (args.size() < i + 3) {
    std::fprintf(stderr, "assetgen: too few arguments (see assetgen --help)\n");
    return 2;
  }
  request.kind = args[i];
  request.outDir = args[i + 1];
  request.words.assign(args.begin() + static_cast<long>(i + 2), args.end());
  try {
    assetgen::GenerateAsset(request);
  } catch (const assetgen::AssetError& e) {
    std::fprintf(stderr, "assetgen: %s %s: %s\n", request.kind.c_str(), request.words[0].c_str(),
                 e.what());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "assetgen: %s %s: %s\n", request.kind.c_str(), request.words[0].c_str(),
                 e.what());
    return 1;
  }
  return 0;
}
