#include "tools/assetgen/Generate.h"

#include "tools/assetgen/AssetArgs.h"
#include "tools/assetgen/Fonts.h"
#include "tools/assetgen/ImageFiles.h"
#include "tools/assetgen/Music.h"
#include "tools/assetgen/Pictures.h"
#include "tools/assetgen/Sounds.h"

namespace assetgen {

namespace {

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() > tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::string Stem(const std::string& name) {
  return name.substr(0, name.rfind('.'));
}

std::string Join(const std::string& dir, const std::string& file) {
  return dir.empty() ? file : dir + "/" + file;
}

// A name is a plain file name: it must not climb out of the output folder.
void CheckName(const std::string& name) {
  if (name.empty() || name.find('/') != std::string::npos || name.find('\\') != std::string::npos ||
      name[0] == '.')
    throw AssetError("'" + name + "' is not a plain file name");
}

std::vector<std::string> Rest(const std::vector<std::string>& words, size_t from) {
  return from < words.size()
             ? std::vector<std::string>(words.begin() + static_cast<long>(from), words.end())
             : std::vector<std::string>{};
}

void WritePicture(const Canvas& picture, const std::string& path) {
  const int w = picture.Width(), h = picture.Height();
  if (picture.Opaque()) {
    std::vector<uint8_t> rgba = picture.ToRgba8(), rgb;
    rgb.reserve(rgba.size() / 4 * 3);
    for (size_t i = 0; i < rgba.size(); i += 4)
      rgb.insert(rgb.end(), {rgba[i], rgba[i + 1], rgba[i + 2]});
    WriteBytes(path, EncodePng(w, h, 3, rgb));
  } else {
    WriteBytes(path, EncodePng(w, h, 4, picture.ToRgba8()));
  }
}

std::vector<std::string> MakeImage(const AssetRequest& r) {
  if (r.words.size() < 2) throw AssetError("an image line needs a name and a picture kind");
  const std::string& name = r.words[0];
  const AssetArgs args(Rest(r.words, 2));
  const int quality = args.Int("quality", 90, 10, 100);
  const Canvas picture = MakePicture(r.words[1], args, PictureContext{r.fontDir});
  if (!EndsWith(name, ".jpg") && !EndsWith(name, ".jpng") && args.Has("quality"))
    throw AssetError("'quality' is for .jpg and .jpng images only");
  args.CheckAllUsed();
  const std::vector<std::string> outputs = AssetOutputs("image", r.outDir, name);
  const int w = picture.Width(), h = picture.Height();
  if (EndsWith(name, ".png")) {
    WritePicture(picture, outputs[0]);
  } else if (EndsWith(name, ".jpg")) {
    WriteBytes(outputs[0], EncodeJpeg(w, h, picture.ToRgb8Bled(), quality));
  } else {
    WriteBytes(outputs[0], EncodePng(w, h, 1, picture.ToAlpha8()));
    WriteBytes(outputs[1], EncodeJpeg(w, h, picture.ToRgb8Bled(), quality));
  }
  return outputs;
}

std::vector<std::string> MakeFont(const AssetRequest& r) {
  if (r.words.empty()) throw AssetError("a font line needs a name");
  const AssetArgs args(Rest(r.words, 1));
  FontStyle style;
  style.facePath = ResolveFont(args.Text("face", "DejaVuSans.ttf"), PictureContext{r.fontDir});
  style.size = args.Int("size", 20, 4, 256);
  style.colour = args.Colour("color", style.colour);
  style.colour2 = args.Colour("color2", style.colour);
  style.outline = args.Int("outline", 0, 0, 16);
  style.outlineColour = args.Colour("outline_color", style.outlineColour);
  style.shadowX = args.Int("shadow_x", 0, 0, 16);
  style.shadowY = args.Int("shadow_y", 0, 0, 16);
  style.shadowColour = args.Colour("shadow_color", style.shadowColour);
  style.spacing = args.Int("spacing", style.outline, -16, 64);
  style.atlasWidth = args.Int("atlas_width", 512, 16, 8192);
  const std::vector<int> codes = ParseCodeRanges(args.Text("chars", "32-126,160-255"));
  args.CheckAllUsed();
  const FontAtlas atlas = BuildFontAtlas(style, codes);
  const std::vector<std::string> outputs = AssetOutputs("font", r.outDir, r.words[0]);
  WriteBytes(outputs[0],
             EncodePng(atlas.image.Width(), atlas.image.Height(), 4, atlas.image.ToRgba8()));
  WriteText(outputs[1], SymbolsXml(atlas.glyphs));
  return outputs;
}

std::vector<std::string> MakeSoundFile(const AssetRequest& r) {
  if (r.words.size() < 2) throw AssetError("a sound line needs a name and a sound kind");
  if (!EndsWith(r.words[0], ".wav")) throw AssetError("a sound is written as a .wav file");
  const AssetArgs args(Rest(r.words, 2));
  const std::vector<float> samples = MakeSound(r.words[1], args);
  args.CheckAllUsed();
  const std::vector<std::string> outputs = AssetOutputs("sound", r.outDir, r.words[0]);
  WriteBytes(outputs[0], EncodeWav(samples, 1));
  return outputs;
}

std::vector<std::string> MakeMusic(const AssetRequest& r) {
  if (r.words.empty() || !EndsWith(r.words[0], ".ogg"))
    throw AssetError("a music line needs a name ending in .ogg");
  const AssetArgs args(Rest(r.words, 1));
  const float quality = static_cast<float>(args.Real("quality", 0.3, -0.1, 1.0));
  const std::vector<float> samples = ComposeTune(args);
  args.CheckAllUsed();
  const std::vector<std::string> outputs = AssetOutputs("music", r.outDir, r.words[0]);
  WriteBytes(outputs[0], EncodeOggVorbis(samples, 2, quality));
  return outputs;
}

}  // namespace

const std::vector<std::string>& AssetKinds() {
  static const std::vector<std::string> kinds = {"image", "font", "sound", "music"};
  return kinds;
}

std::vector<std::string> AssetOutputs(const std::string& kind, const std::string& outDir,
                                      const std::string& name) {
  CheckName(name);
  if (kind == "font") return {Join(outDir, name + ".png"), Join(outDir, name + ".xml")};
  if (kind == "image" && EndsWith(name, ".jpng"))
    return {Join(outDir, Stem(name) + ".png"), Join(outDir, Stem(name) + ".jpg")};
  if (kind == "image" && !EndsWith(name, ".png") && !EndsWith(name, ".jpg"))
    throw AssetError("an image name ends in .png, .jpg or .jpng");
  return {Join(outDir, name)};
}

std::vector<std::string> GenerateAsset(const AssetRequest& request) {
  if (request.kind == "image") return MakeImage(request);
  if (request.kind == "font") return MakeFont(request);
  if (request.kind == "sound") return MakeSoundFile(request);
  if (request.kind == "music") return MakeMusic(request);
  throw AssetError("unknown asset kind '" + request.kind + "'");
}

}  // namespace assetgen
