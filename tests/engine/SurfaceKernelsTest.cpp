// Every vector kernel against its plain kernel on random rows: odd widths, rows starting
// at any pixel (so not aligned to the vector size), alpha bytes biased to 0 and 255 as
// sprites have them. Results may differ by one unit per channel at most. Source rows end at
// the end of their allocation, so a kernel reading past them is caught by AddressSanitizer,
// and guard pixels around each destination row catch writes past it.

#include <random>

#include "tests/engine/SurfaceTestSupport.h"

namespace {

constexpr uint32_t kGuard = 0xDEADBEEF;
constexpr int32_t kMargin = 9;

class KernelComparison : public ::testing::Test {
 protected:
  uint32_t RandomPixel() {
    uint32_t colour = uint32_t(random_()) & kColourMask;
    switch (random_() % 4) {
      case 0:
        return colour;
      case 1:
        return colour | kAlphaMask;
      default:
        return colour | (uint32_t(random_() % 256) << 24);
    }
  }
  int32_t Below(int32_t n) { return int32_t(random_() % uint32_t(n)); }

  // A source row of Count pixels that ends exactly where its allocation ends.
  const uint32_t* SourceRow(std::vector<uint32_t>& store, int32_t count) {
    store.assign(size_t(Below(8) + count), 0);
    for (uint32_t& p : store) p = RandomPixel();
    return store.data() + (store.size() - size_t(count));
  }

  static std::vector<uint32_t> Guarded(const std::vector<uint32_t>& row) {
    std::vector<uint32_t> out(size_t(kMargin), kGuard);
    out.insert(out.end(), row.begin(), row.end());
    out.insert(out.end(), size_t(kMargin), kGuard);
    return out;
  }

  static void ExpectClose(const std::vector<uint32_t>& plain, const std::vector<uint32_t>& vec,
                          const std::string& what) {
    ASSERT_EQ(plain.size(), vec.size());
    for (size_t i = 0; i < plain.size(); ++i) {
      for (int shift = 0; shift < 32; shift += 8) {
        int a = int((plain[i] >> shift) & 0xFF), b = int((vec[i] >> shift) & 0xFF);
        ASSERT_LE(std::abs(a - b), 1)
            << what << " pixel " << i << " plain " << Hex(plain[i]) << " vector " << Hex(vec[i]);
      }
    }
  }

  std::vector<const TSurfaceKernels*> VectorTables() {
    std::vector<const TSurfaceKernels*> tables;
    if (Sse2SurfaceKernels()) tables.push_back(Sse2SurfaceKernels());
    if (Avx2SurfaceKernels()) tables.push_back(Avx2SurfaceKernels());
    return tables;
  }

  std::mt19937 random_{20240611};
};

struct BlendEntry {
  const char* Name;
  TBlendRowKernel TSurfaceKernels::*Kernel;
};
const BlendEntry kBlendEntries[] = {
    {"Copy", &TSurfaceKernels::Copy},
    {"AlphaBlend", &TSurfaceKernels::AlphaBlend},
    {"ScaledAlphaBlend", &TSurfaceKernels::ScaledAlphaBlend},
    {"GlobalAlphaBlend", &TSurfaceKernels::GlobalAlphaBlend},
};

struct ColorEntry {
  const char* Name;
  TColorRowKernel TSurfaceKernels::*Kernel;
};
const ColorEntry kColorEntries[] = {
    {"ColorFill", &TSurfaceKernels::ColorFill},
    {"ColorThroughAlpha", &TSurfaceKernels::ColorThroughAlpha},
    {"ScaledColorThroughAlpha", &TSurfaceKernels::ScaledColorThroughAlpha},
};

TEST_F(KernelComparison, BlendRowsMatchThePlainKernels) {
  const TSurfaceKernels& plain = PlainSurfaceKernels();
  for (const TSurfaceKernels* table : VectorTables()) {
    for (const BlendEntry& entry : kBlendEntries) {
      for (int round = 0; round < 300; ++round) {
        int32_t count = Below(70);
        bool hasAlpha = Below(2) == 1;
        uint32_t alpha = round % 5 == 0 ? 255 : uint32_t(1 + Below(254));
        std::vector<uint32_t> srcStore;
        const uint32_t* src = SourceRow(srcStore, count);
        std::vector<uint32_t> dst(static_cast<size_t>(count));
        for (uint32_t& p : dst) p = RandomPixel();
        std::vector<uint32_t> expected = Guarded(dst), actual = Guarded(dst);
        (plain.*entry.Kernel)(expected.data() + kMargin, src, count, alpha, hasAlpha);
        (table->*entry.Kernel)(actual.data() + kMargin, src, count, alpha, hasAlpha);
        ExpectClose(expected, actual, std::string(table->Name) + " " + entry.Name);
      }
    }
  }
}

TEST_F(KernelComparison, ColourRowsMatchThePlainKernels) {
  const TSurfaceKernels& plain = PlainSurfaceKernels();
  for (const TSurfaceKernels* table : VectorTables()) {
    for (const ColorEntry& entry : kColorEntries) {
      for (int round = 0; round < 300; ++round) {
        int32_t count = Below(70);
        bool hasAlpha = Below(2) == 1;
        uint32_t colour = RandomPixel();
        uint32_t alpha = round % 5 == 0 ? 255 : uint32_t(Below(256));
        std::vector<uint32_t> srcStore;
        const uint32_t* src = SourceRow(srcStore, count);
        std::vector<uint32_t> dst(static_cast<size_t>(count));
        for (uint32_t& p : dst) p = RandomPixel();
        std::vector<uint32_t> expected = Guarded(dst), actual = Guarded(dst);
        (plain.*entry.Kernel)(expected.data() + kMargin, src, count, colour, alpha, hasAlpha);
        (table->*entry.Kernel)(actual.data() + kMargin, src, count, colour, alpha, hasAlpha);
        ExpectClose(expected, actual, std::string(table->Name) + " " + entry.Name);
      }
    }
  }
}

// The rectangle kernels against the plain row kernels, row by row: rows of any width
// (often ragged against the vector size) that lie apart by any stride, either way.
TEST_F(KernelComparison, RectanglesMatchThePlainRowKernels) {
  struct RectEntry {
    const char* Name;
    TBlendRectKernel TRectKernels::*Rect;
    TBlendRowKernel TSurfaceKernels::*Row;
  };
  const RectEntry blends[] = {
      {"Copy", &TRectKernels::Copy, &TSurfaceKernels::Copy},
      {"AlphaBlend", &TRectKernels::AlphaBlend, &TSurfaceKernels::AlphaBlend},
      {"ScaledAlphaBlend", &TRectKernels::ScaledAlphaBlend, &TSurfaceKernels::ScaledAlphaBlend},
      {"GlobalAlphaBlend", &TRectKernels::GlobalAlphaBlend, &TSurfaceKernels::GlobalAlphaBlend},
  };
  struct ColorRectEntry {
    const char* Name;
    TColorRectKernel TRectKernels::*Rect;
    TColorRowKernel TSurfaceKernels::*Row;
  };
  const ColorRectEntry colours[] = {
      {"ColorFill", &TRectKernels::ColorFill, &TSurfaceKernels::ColorFill},
      {"ColorThroughAlpha", &TRectKernels::ColorThroughAlpha, &TSurfaceKernels::ColorThroughAlpha},
      {"ScaledColorThroughAlpha", &TRectKernels::ScaledColorThroughAlpha,
       &TSurfaceKernels::ScaledColorThroughAlpha},
  };
  const TSurfaceKernels& plain = PlainSurfaceKernels();
  std::vector<const TSurfaceKernels*> tables = VectorTables();
  tables.push_back(&plain);
  for (const TSurfaceKernels* table : tables) {
    for (int round = 0; round < 200; ++round) {
      const int32_t count = 1 + Below(90), rows = 1 + Below(6);
      const int32_t stride = count + Below(5);
      const bool upwards = Below(2) == 1, hasAlpha = Below(2) == 1;
      const uint32_t colour = RandomPixel(), alpha = 1 + uint32_t(Below(255));
      std::vector<uint32_t> source(size_t(stride) * size_t(rows));
      for (uint32_t& p : source) p = RandomPixel();
      std::vector<uint32_t> start(size_t(stride) * size_t(rows) + 2 * kMargin, kGuard);
      for (size_t i = kMargin; i + kMargin < start.size(); ++i) start[i] = RandomPixel();
      // Row y of the walk is stored at row (upwards ? rows - 1 - y : y).
      const ptrdiff_t step = upwards ? -stride : stride;
      const size_t firstRow = upwards ? size_t(rows - 1) * size_t(stride) : 0;
      auto check = [&](auto rect, auto row, const char* name) {
        std::vector<uint32_t> expected = start, actual = start;
        for (int32_t y = 0; y < rows; ++y) {
          size_t at = firstRow + size_t(ptrdiff_t(y) * step);
          row(expected.data() + kMargin + at, source.data() + at);
        }
        rect(actual.data() + kMargin + firstRow, source.data() + firstRow);
        ExpectClose(expected, actual, std::string(table->Name) + " rectangle " + name);
      };
      for (const RectEntry& e : blends)
        check(
            [&](uint32_t* d, const uint32_t* s) {
              (table->Rects.*e.Rect)(d, step, s, step, count, rows, alpha, hasAlpha);
            },
            [&](uint32_t* d, const uint32_t* s) { (plain.*e.Row)(d, s, count, alpha, hasAlpha); },
            e.Name);
      for (const ColorRectEntry& e : colours)
        check(
            [&](uint32_t* d, const uint32_t* s) {
              (table->Rects.*e.Rect)(d, step, s, step, count, rows, colour, alpha, hasAlpha);
            },
            [&](uint32_t* d, const uint32_t* s) {
              (plain.*e.Row)(d, s, count, colour, alpha, hasAlpha);
            },
            e.Name);
    }
  }
}

TEST_F(KernelComparison, BilinearScaleRowsMatchThePlainKernel) {
  const TSurfaceKernels& plain = PlainSurfaceKernels();
  for (const TSurfaceKernels* table : VectorTables()) {
    for (int round = 0; round < 400; ++round) {
      int32_t width = 1 + Below(60);
      int32_t count = Below(50);
      std::vector<uint32_t> topStore, bottomStore;
      TScaleRow row;
      row.Top = SourceRow(topStore, width);
      row.Bottom = round % 7 == 0 ? row.Top : SourceRow(bottomStore, width);
      row.WeightY = uint32_t(Below(256));
      row.SourceWidth = width;
      std::vector<int32_t> columns(static_cast<size_t>(count));
      std::vector<uint32_t> weights(static_cast<size_t>(count));
      // Either a scaling's steady walk (either way) or arbitrary columns.
      int32_t start = Below(width), step = Below(3) - 1;
      for (int32_t i = 0; i < count; ++i) {
        int32_t c = round % 2 ? start + step * i : Below(width);
        columns[size_t(i)] = std::clamp(c, 0, width - 1);
        uint32_t wx = uint32_t(Below(256));
        weights[size_t(i)] = (wx << 16) | (256 - wx);
      }
      if (count == 0) continue;
      row.Columns = columns.data();
      row.WeightsX = weights.data();
      row.FirstColumn = *std::min_element(columns.begin(), columns.end());
      row.LastColumn = *std::max_element(columns.begin(), columns.end());
      std::vector<uint16_t> scratch(size_t(row.LastColumn - row.FirstColumn + 2) * 4 + 16);
      row.Scratch = scratch.data();
      bool hasAlpha = Below(2) == 1;
      std::vector<uint32_t> expected(size_t(count) + 2 * kMargin, kGuard), actual = expected;
      plain.BilinearScaleRow(expected.data() + kMargin, count, row, hasAlpha);
      table->BilinearScaleRow(actual.data() + kMargin, count, row, hasAlpha);
      ExpectClose(expected, actual, std::string(table->Name) + " BilinearScaleRow");
    }
  }
}

TEST_F(KernelComparison, BilinearSpansMatchThePlainKernel) {
  const TSurfaceKernels& plain = PlainSurfaceKernels();
  for (const TSurfaceKernels* table : VectorTables()) {
    for (int round = 0; round < 400; ++round) {
      int32_t width = 2 + Below(40), height = 2 + Below(40);
      std::vector<uint32_t> store;
      const uint32_t* pixels = SourceRow(store, width * height);
      const int32_t limitU = (width - 1) << 16, limitV = (height - 1) << 16;
      int32_t u = Below(limitU), v = Below(limitV);
      int32_t du = Below(3 << 16) - (3 << 15), dv = Below(3 << 16) - (3 << 15);
      // As many samples as stay inside, up to 40.
      int32_t count = 0;
      while (count < 40) {
        int64_t pu = int64_t(u) + int64_t(count) * du, pv = int64_t(v) + int64_t(count) * dv;
        if (pu < 0 || pu >= limitU || pv < 0 || pv >= limitV) break;
        ++count;
      }
      bool hasAlpha = Below(2) == 1;
      std::vector<uint32_t> expected(size_t(count) + 2 * kMargin, kGuard), actual = expected;
      plain.BilinearSpan(expected.data() + kMargin, count, pixels, width, u, v, du, dv, hasAlpha);
      table->BilinearSpan(actual.data() + kMargin, count, pixels, width, u, v, du, dv, hasAlpha);
      ExpectClose(expected, actual, std::string(table->Name) + " BilinearSpan");
    }
  }
}

TEST(SurfaceKernels, TheBestTableIsChosenOnce) {
  const TSurfaceKernels& chosen = SurfaceKernels();
  const TSurfaceKernels* best = Avx2SurfaceKernels() ? Avx2SurfaceKernels() : Sse2SurfaceKernels();
  if (!best) best = &PlainSurfaceKernels();
  EXPECT_EQ(&chosen, best);
  EXPECT_EQ(&SurfaceKernels(), &chosen);
}

}  // namespace
