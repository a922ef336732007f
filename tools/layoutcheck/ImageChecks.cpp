#include "tools/layoutcheck/ImageChecks.h"

#include "foundation/EngineInterfaces.h"
#include "widgets/ResourceWidgets.h"

namespace {

// The rectangle an image widget draws now (an animation's current frame) is the widget's
// own business; this reads it without widening the widget's interface for one tool.
struct SourceRectReader : TImageWidget {
  using TImageWidget::SourceRect;
};

bool AnyOpaque(ISurface& surface, const TRect& r) {
  for (int32_t y = r.Top; y < r.Bottom; ++y) {
    const uint32_t* row = surface.GetScanLine(y);
    if (!row) continue;
    for (int32_t x = r.Left; x < r.Right; ++x)
      if ((row[x] >> 24) != 0) return true;
  }
  return false;
}

std::string Describe(const TRect& r) {
  return "(" + std::to_string(r.Left) + "," + std::to_string(r.Top) + " " +
         std::to_string(r.Width()) + "x" + std::to_string(r.Height()) + ")";
}

}  // namespace

void CheckImageSource(TImageWidget& image, const CheckContext& context) {
  Ref<IImageResource> picture = image.GetImageResource();
  if (!picture) return;  // the engine warns about a missing picture
  TRect source;
  if (!(image.*(&SourceRectReader::SourceRect))(source)) return;
  if (source.Width() <= 0 || source.Height() <= 0) return;
  const TRect whole{0, 0, picture->GetWidth(), picture->GetHeight()};
  const std::string name = image.GetResourceName();
  if (source.Left < 0 || source.Top < 0 || source.Right > whole.Right ||
      source.Bottom > whole.Bottom) {
    context.reports->Add(context.file, image.GetPath(),
                         "source rectangle " + Describe(source) + " leaves its picture " + name +
                             " of " + std::to_string(whole.Right) + "x" +
                             std::to_string(whole.Bottom));
    return;
  }
  Ref<ISurface> surface = picture->GetSurface();
  if (surface && surface->GetHasAlpha() && !AnyOpaque(*surface, source))
    context.reports->Add(context.file, image.GetPath(),
                         "draws only transparent pixels: " + Describe(source) + " of " + name);
}
