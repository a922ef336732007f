#pragma once
// The hidden objects, each drawn as what it is named, by family. Each draws inside its frame in
// its main colour; the picture kind "item" (Items.cpp) outlines the drawing and lights it as
// its place is lit.

#include "tools/assetgen/ItemParts.h"

namespace assetgen::item {

using Drawing = void (*)(Canvas& c, const Frame& f, Rgba colour);

// ItemsLight.cpp: what gives or keeps light.
void Lantern(Canvas& c, const Frame& f, Rgba colour);
void OilCan(Canvas& c, const Frame& f, Rgba colour);
void WickSpool(Canvas& c, const Frame& f, Rgba colour);
void LampGlass(Canvas& c, const Frame& f, Rgba colour);
void LampPost(Canvas& c, const Frame& f, Rgba colour);
void Candle(Canvas& c, const Frame& f, Rgba colour);
void Candlestick(Canvas& c, const Frame& f, Rgba colour);
void OilLamp(Canvas& c, const Frame& f, Rgba colour);

// ItemsTea.cpp: the tea things.
void Teacup(Canvas& c, const Frame& f, Rgba colour);
void Teapot(Canvas& c, const Frame& f, Rgba colour);
void Kettle(Canvas& c, const Frame& f, Rgba colour);
void SugarTin(Canvas& c, const Frame& f, Rgba colour);

// ItemsMarket.cpp: the market's wares and the garden's books.
void Shell(Canvas& c, const Frame& f, Rgba colour);
void AnchorCharm(Canvas& c, const Frame& f, Rgba colour);
void Apple(Canvas& c, const Frame& f, Rgba colour);
void BookStack(Canvas& c, const Frame& f, Rgba colour);

// ItemsHouse.cpp: the clock's wheels and hands, the parlour's gifts, the cellar's key.
void Gear(Canvas& c, const Frame& f, Rgba colour);
void HourHand(Canvas& c, const Frame& f, Rgba colour);
void MinuteHand(Canvas& c, const Frame& f, Rgba colour);
void Vase(Canvas& c, const Frame& f, Rgba colour);
void Portrait(Canvas& c, const Frame& f, Rgba colour);
void Thimble(Canvas& c, const Frame& f, Rgba colour);
void SewingDrawer(Canvas& c, const Frame& f, Rgba colour);
void CellarKey(Canvas& c, const Frame& f, Rgba colour);

// ItemsDolls.cpp: the cloth dolls, and the moth doll with its wings.
void Doll(Canvas& c, const Frame& f, Rgba colour);
void MothDoll(Canvas& c, const Frame& f, Rgba colour);

}  // namespace assetgen::item
