#pragma once
// The procedural pictures of the sample game. Each kind reads its own parameters (sizes,
// colours, a seed) and draws the same picture every time.

#include <string>
#include <vector>

#include "tools/assetgen/AssetArgs.h"
#include "tools/assetgen/Canvas.h"

namespace assetgen {

// Where fonts named by a picture ("face=") are found.
struct PictureContext {
  std::string fontDir;
};

const std::vector<std::string>& PictureKinds();
Canvas MakePicture(const std::string& kind, const AssetArgs& args, const PictureContext& context);

// The picture kinds, by file (Backgrounds.cpp, Sprites.cpp, Controls.cpp).
Canvas GradientPicture(const AssetArgs& args);
Canvas PatternPicture(const AssetArgs& args);
Canvas ShapesPicture(const AssetArgs& args);
Canvas RoomPicture(const AssetArgs& args);
Canvas NightSkyPicture(const AssetArgs& args);
Canvas LogoPicture(const AssetArgs& args, const PictureContext& context);
Canvas IconPicture(const AssetArgs& args);
Canvas OrbPicture(const AssetArgs& args);
Canvas StarPicture(const AssetArgs& args);
Canvas KeyPicture(const AssetArgs& args);
Canvas CupPicture(const AssetArgs& args);
Canvas ObjectPicture(const AssetArgs& args);
Canvas DoorPicture(const AssetArgs& args);
Canvas ClockPicture(const AssetArgs& args);
Canvas PortraitPicture(const AssetArgs& args);
Canvas PipePicture(const AssetArgs& args);
Canvas StripPicture(const AssetArgs& args);
Canvas CursorPicture(const AssetArgs& args);
Canvas ButtonPicture(const AssetArgs& args);
Canvas CheckBoxPicture(const AssetArgs& args);
Canvas SliderPicture(const AssetArgs& args);
Canvas FramePicture(const AssetArgs& args);
Canvas ArrowPicture(const AssetArgs& args);
Canvas PagePicture(const AssetArgs& args, const PictureContext& context);
// Comics.cpp: a strip of gull frames in one row; a panel of the final comic.
Canvas GullPicture(const AssetArgs& args);
Canvas ComicPicture(const AssetArgs& args);
// Places.cpp: the scenes' places ("place=market" and so on), furnished round their objects.
Canvas PlacePicture(const AssetArgs& args);
// Items.cpp: a hidden object drawn as what it is ("item=teacup"), lit as its place.
Canvas ItemPicture(const AssetArgs& args);

// A font file: an absolute path as it is, a bare name inside the font folder.
std::string ResolveFont(const std::string& name, const PictureContext& context);

}  // namespace assetgen
