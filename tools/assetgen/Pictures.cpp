#include "tools/assetgen/Pictures.h"

#include <functional>

namespace assetgen {

namespace {

struct PictureKind {
  const char* name;
  std::function<Canvas(const AssetArgs&, const PictureContext&)> make;
};

template <Canvas (*F)(const AssetArgs&)>
Canvas Plain(const AssetArgs& args, const PictureContext&) {
  return F(args);
}

const std::vector<PictureKind>& Kinds() {
  static const std::vector<PictureKind> kinds = {
      {"gradient", Plain<GradientPicture>}, {"pattern", Plain<PatternPicture>},
      {"shapes", Plain<ShapesPicture>},     {"room", Plain<RoomPicture>},
      {"nightsky", Plain<NightSkyPicture>}, {"logo", LogoPicture},
      {"orb", Plain<OrbPicture>},           {"star", Plain<StarPicture>},
      {"key", Plain<KeyPicture>},           {"cup", Plain<CupPicture>},
      {"strip", Plain<StripPicture>},       {"cursor", Plain<CursorPicture>},
      {"button", Plain<ButtonPicture>},     {"checkbox", Plain<CheckBoxPicture>},
      {"slider", Plain<SliderPicture>},     {"frame", Plain<FramePicture>},
      {"arrow", Plain<ArrowPicture>},       {"page", PagePicture},
      {"object", Plain<ObjectPicture>},     {"pipe", Plain<PipePicture>},
      {"gull", Plain<GullPicture>},         {"comic", Plain<ComicPicture>},
      {"portrait", Plain<PortraitPicture>}, {"icon", Plain<IconPicture>},
      {"door", Plain<DoorPicture>},         {"clock", Plain<ClockPicture>},
      {"place", Plain<PlacePicture>},       {"item", Plain<ItemPicture>},
  };
  return kinds;
}

}  // namespace

const std::vector<std::string>& PictureKinds() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> n;
    for (const PictureKind& k : Kinds()) n.push_back(k.name);
    return n;
  }();
  return names;
}

Canvas MakePicture(const std::string& kind, const AssetArgs& args, const PictureContext& context) {
  for (const PictureKind& k : Kinds())
    if (kind == k.name) return k.make(args, context);
  throw AssetError("unknown picture kind '" + kind + "'");
}

std::string ResolveFont(const std::string& name, const PictureContext& context) {
  if (name.empty()) throw AssetError("no font face given");
  if (name.front() == '/' || context.fontDir.empty()) return name;
  return context.fontDir + "/" + name;
}

}  // namespace assetgen
