// Draw and DrawColored against the blending rules, one pixel rule per row of the tables.
// The expected pixels were worked out from the rules by hand arithmetic (destination
// colour R F0 G 90 B 20, source colour R 32 G 64 B C8, colour K 0xFF3060A0), over every mode,
// HasAlpha on and off, destination alpha 0 and 0x60, source alpha 0, 128 and 255, and
// global alpha 255 and 128. Each row runs on a row of 11 equal pixels so that the vector
// kernels' blocks and their tails both take part.

#include <cstdio>

#include "tests/engine/SurfaceTestSupport.h"

namespace {

constexpr int32_t kRow = 11;

struct DrawCase {
  uint8_t Mode;
  bool HasAlpha;
  bool SourceHasAlpha;
  uint32_t Dst;
  uint32_t Src;
  uint8_t Alpha;
  uint32_t Expected;
};

const DrawCase kDrawCases[] = {
    {0, true, true, 0x00F09020, 0x003264C8, 255, 0x00F09020},
    {0, true, true, 0x00F09020, 0x003264C8, 128, 0x00F09020},
    {0, true, true, 0x00F09020, 0x803264C8, 255, 0x803264C8},
    {0, true, true, 0x00F09020, 0x803264C8, 128, 0x803264C8},
    {0, true, true, 0x00F09020, 0xFF3264C8, 255, 0xFF3264C8},
    {0, true, true, 0x00F09020, 0xFF3264C8, 128, 0xFF3264C8},
    {0, true, true, 0x60F09020, 0x003264C8, 255, 0x60F09020},
    {0, true, true, 0x60F09020, 0x003264C8, 128, 0x60F09020},
    {0, true, true, 0x60F09020, 0x803264C8, 255, 0xB0917A74},
    {0, true, true, 0x60F09020, 0x803264C8, 128, 0x88C0854A},
    {0, true, true, 0x60F09020, 0xFF3264C8, 255, 0xFF3264C8},
    {0, true, true, 0x60F09020, 0xFF3264C8, 128, 0xAF917A73},
    {0, false, true, 0x00F09020, 0x003264C8, 255, 0x00F09020},
    {0, false, true, 0x00F09020, 0x003264C8, 128, 0x00F09020},
    {0, false, true, 0x00F09020, 0x803264C8, 255, 0xFF917A74},
    {0, false, true, 0x00F09020, 0x803264C8, 128, 0xFFC0854A},
    {0, false, true, 0x00F09020, 0xFF3264C8, 255, 0xFF3264C8},
    {0, false, true, 0x00F09020, 0xFF3264C8, 128, 0xFF917A73},
    {0, false, true, 0x60F09020, 0x003264C8, 255, 0x60F09020},
    {0, false, true, 0x60F09020, 0x003264C8, 128, 0x60F09020},
    {0, false, true, 0x60F09020, 0x803264C8, 255, 0xFF917A74},
    {0, false, true, 0x60F09020, 0x803264C8, 128, 0xFFC0854A},
    {0, false, true, 0x60F09020, 0xFF3264C8, 255, 0xFF3264C8},
    {0, false, true, 0x60F09020, 0xFF3264C8, 128, 0xFF917A73},
    {1, true, true, 0x00F09020, 0x003264C8, 255, 0x00F09020},
    {1, true, true, 0x00F09020, 0x003264C8, 128, 0x00F09020},
    {1, true, true, 0x00F09020, 0x803264C8, 255, 0x7FF1A577},
    {1, true, true, 0x00F09020, 0x803264C8, 128, 0x40F09B4C},
    {1, true, true, 0x00F09020, 0xFF3264C8, 255, 0xFEF3BBCE},
    {1, true, true, 0x00F09020, 0xFF3264C8, 128, 0x7FF1A577},
    {1, true, true, 0x60F09020, 0x003264C8, 255, 0x60F09020},
    {1, true, true, 0x60F09020, 0x003264C8, 128, 0x60F09020},
    {1, true, true, 0x60F09020, 0x803264C8, 255, 0xAFF1A577},
    {1, true, true, 0x60F09020, 0x803264C8, 128, 0x87F09B4C},
    {1, true, true, 0x60F09020, 0xFF3264C8, 255, 0xFEF3BBCE},
    {1, true, true, 0x60F09020, 0xFF3264C8, 128, 0xAFF1A577},
    {1, false, true, 0x00F09020, 0x003264C8, 255, 0x00F09020},
    {1, false, true, 0x00F09020, 0x003264C8, 128, 0x00F09020},
    {1, false, true, 0x00F09020, 0x803264C8, 255, 0xFFF1A577},
    {1, false, true, 0x00F09020, 0x803264C8, 128, 0xFFF09B4C},
    {1, false, true, 0x00F09020, 0xFF3264C8, 255, 0xFFF3BBCE},
    {1, false, true, 0x00F09020, 0xFF3264C8, 128, 0xFFF1A577},
    {1, false, true, 0x60F09020, 0x003264C8, 255, 0x60F09020},
    {1, false, true, 0x60F09020, 0x003264C8, 128, 0x60F09020},
    {1, false, true, 0x60F09020, 0x803264C8, 255, 0xFFF1A577},
    {1, false, true, 0x60F09020, 0x803264C8, 128, 0xFFF09B4C},
    {1, false, true, 0x60F09020, 0xFF3264C8, 255, 0xFFF3BBCE},
    {1, false, true, 0x60F09020, 0xFF3264C8, 128, 0xFFF1A577},
    {2, true, true, 0x00F09020, 0x003264C8, 255, 0x00F09020},
    {2, true, true, 0x00F09020, 0x003264C8, 128, 0x00F09020},
    {2, true, true, 0x00F09020, 0x803264C8, 255, 0x7FEA8428},
    {2, true, true, 0x00F09020, 0x803264C8, 128, 0x40EC8923},
    {2, true, true, 0x00F09020, 0xFF3264C8, 255, 0xFEE57831},
    {2, true, true, 0x00F09020, 0xFF3264C8, 128, 0x7FEA8428},
    {2, true, true, 0x60F09020, 0x003264C8, 255, 0x60F09020},
    {2, true, true, 0x60F09020, 0x003264C8, 128, 0x60F09020},
    {2, true, true, 0x60F09020, 0x803264C8, 255, 0xAFEA8428},
    {2, true, true, 0x60F09020, 0x803264C8, 128, 0x87EC8923},
    {2, true, true, 0x60F09020, 0xFF3264C8, 255, 0xFEE57831},
    {2, true, true, 0x60F09020, 0xFF3264C8, 128, 0xAFEA8428},
    {2, false, true, 0x00F09020, 0x003264C8, 255, 0x00F09020},
    {2, false, true, 0x00F09020, 0x003264C8, 128, 0x00F09020},
    {2, false, true, 0x00F09020, 0x803264C8, 255, 0xFFEA8428},
    {2, false, true, 0x00F09020, 0x803264C8, 128, 0xFFEC8923},
    {2, false, true, 0x00F09020, 0xFF3264C8, 255, 0xFFE57831},
    {2, false, true, 0x00F09020, 0xFF3264C8, 128, 0xFFEA8428},
    {2, false, true, 0x60F09020, 0x003264C8, 255, 0x60F09020},
    {2, false, true, 0x60F09020, 0x003264C8, 128, 0x60F09020},
    {2, false, true, 0x60F09020, 0x803264C8, 255, 0xFFEA8428},
    {2, false, true, 0x60F09020, 0x803264C8, 128, 0xFFEC8923},
    {2, false, true, 0x60F09020, 0xFF3264C8, 255, 0xFFE57831},
    {2, false, true, 0x60F09020, 0xFF3264C8, 128, 0xFFEA8428},
    {3, true, true, 0x00F09020, 0x003264C8, 255, 0x00F09020},
    {3, true, true, 0x00F09020, 0x003264C8, 128, 0x00F09020},
    {3, true, true, 0x00F09020, 0x803264C8, 255, 0x7FA47567},
    {3, true, true, 0x00F09020, 0x803264C8, 128, 0x40CA8344},
    {3, true, true, 0x00F09020, 0xFF3264C8, 255, 0xFE575AAF},
    {3, true, true, 0x00F09020, 0xFF3264C8, 128, 0x7FA47567},
    {3, true, true, 0x60F09020, 0x003264C8, 255, 0x60F09020},
    {3, true, true, 0x60F09020, 0x003264C8, 128, 0x60F09020},
    {3, true, true, 0x60F09020, 0x803264C8, 255, 0xAFA47567},
    {3, true, true, 0x60F09020, 0x803264C8, 128, 0x87CA8344},
    {3, true, true, 0x60F09020, 0xFF3264C8, 255, 0xFE575AAF},
    {3, true, true, 0x60F09020, 0xFF3264C8, 128, 0xAFA47567},
    {3, false, true, 0x00F09020, 0x003264C8, 255, 0x00F09020},
    {3, false, true, 0x00F09020, 0x003264C8, 128, 0x00F09020},
    {3, false, true, 0x00F09020, 0x803264C8, 255, 0xFFA47567},
    {3, false, true, 0x00F09020, 0x803264C8, 128, 0xFFCA8344},
    {3, false, true, 0x00F09020, 0xFF3264C8, 255, 0xFF575AAF},
    {3, false, true, 0x00F09020, 0xFF3264C8, 128, 0xFFA47567},
    {3, false, true, 0x60F09020, 0x003264C8, 255, 0x60F09020},
    {3, false, true, 0x60F09020, 0x003264C8, 128, 0x60F09020},
    {3, false, true, 0x60F09020, 0x803264C8, 255, 0xFFA47567},
    {3, false, true, 0x60F09020, 0x803264C8, 128, 0xFFCA8344},
    {3, false, true, 0x60F09020, 0xFF3264C8, 255, 0xFF575AAF},
    {3, false, true, 0x60F09020, 0xFF3264C8, 128, 0xFFA47567},
    {4, true, true, 0x00F09020, 0x003264C8, 255, 0x00F09020},
    {4, true, true, 0x00F09020, 0x003264C8, 128, 0x00F09020},
    {4, true, true, 0x00F09020, 0x803264C8, 255, 0x7FFFC183},
    {4, true, true, 0x00F09020, 0x803264C8, 128, 0x40FCA952},
    {4, true, true, 0x00F09020, 0xFF3264C8, 255, 0xFEFFF3E6},
    {4, true, true, 0x00F09020, 0xFF3264C8, 128, 0x7FFFC183},
    {4, true, true, 0x60F09020, 0x003264C8, 255, 0x60F09020},
    {4, true, true, 0x60F09020, 0x003264C8, 128, 0x60F09020},
    {4, true, true, 0x60F09020, 0x803264C8, 255, 0xAFFFC183},
    {4, true, true, 0x60F09020, 0x803264C8, 128, 0x87FCA952},
    {4, true, true, 0x60F09020, 0xFF3264C8, 255, 0xFEFFF3E6},
    {4, true, true, 0x60F09020, 0xFF3264C8, 128, 0xAFFFC183},
    {4, false, true, 0x00F09020, 0x003264C8, 255, 0x00F09020},
    {4, false, true, 0x00F09020, 0x003264C8, 128, 0x00F09020},
    {4, false, true, 0x00F09020, 0x803264C8, 255, 0xFFFFC183},
    {4, false, true, 0x00F09020, 0x803264C8, 128, 0xFFFCA952},
    {4, false, true, 0x00F09020, 0xFF3264C8, 255, 0xFFFFF3E6},
    {4, false, true, 0x00F09020, 0xFF3264C8, 128, 0xFFFFC183},
    {4, false, true, 0x60F09020, 0x003264C8, 255, 0x60F09020},
    {4, false, true, 0x60F09020, 0x003264C8, 128, 0x60F09020},
    {4, false, true, 0x60F09020, 0x803264C8, 255, 0xFFFFC183},
    {4, false, true, 0x60F09020, 0x803264C8, 128, 0xFFFCA952},
    {4, false, true, 0x60F09020, 0xFF3264C8, 255, 0xFFFFF3E6},
    {4, false, true, 0x60F09020, 0xFF3264C8, 128, 0xFFFFC183},
    {5, true, true, 0x00F09020, 0x003264C8, 255, 0x003264C8},
    {5, true, true, 0x00F09020, 0x003264C8, 128, 0x003264C8},
    {5, true, true, 0x00F09020, 0x803264C8, 255, 0x7F3264C8},
    {5, true, true, 0x00F09020, 0x803264C8, 128, 0x403264C8},
    {5, true, true, 0x00F09020, 0xFF3264C8, 255, 0xFE3264C8},
    {5, true, true, 0x00F09020, 0xFF3264C8, 128, 0x7F3264C8},
    {5, true, true, 0x60F09020, 0x003264C8, 255, 0x60F09020},
    {5, true, true, 0x60F09020, 0x003264C8, 128, 0x60F09020},
    {5, true, true, 0x60F09020, 0x803264C8, 255, 0x7F3264C8},
    {5, true, true, 0x60F09020, 0x803264C8, 128, 0x60F09020},
    {5, true, true, 0x60F09020, 0xFF3264C8, 255, 0xFE3264C8},
    {5, true, true, 0x60F09020, 0xFF3264C8, 128, 0x7F3264C8},
    {5, false, true, 0x00F09020, 0x003264C8, 255, 0xFF3264C8},
    {5, false, true, 0x00F09020, 0x003264C8, 128, 0xFF3264C8},
    {5, false, true, 0x00F09020, 0x803264C8, 255, 0xFF3264C8},
    {5, false, true, 0x00F09020, 0x803264C8, 128, 0xFF3264C8},
    {5, false, true, 0x00F09020, 0xFF3264C8, 255, 0xFF3264C8},
    {5, false, true, 0x00F09020, 0xFF3264C8, 128, 0xFF3264C8},
    {5, false, true, 0x60F09020, 0x003264C8, 255, 0x60F09020},
    {5, false, true, 0x60F09020, 0x003264C8, 128, 0x60F09020},
    {5, false, true, 0x60F09020, 0x803264C8, 255, 0xFF3264C8},
    {5, false, true, 0x60F09020, 0x803264C8, 128, 0x60F09020},
    {5, false, true, 0x60F09020, 0xFF3264C8, 255, 0xFF3264C8},
    {5, false, true, 0x60F09020, 0xFF3264C8, 128, 0xFF3264C8},
    {6, true, true, 0x00F09020, 0x003264C8, 255, 0x003264C8},
    {6, true, true, 0x00F09020, 0x003264C8, 128, 0x003264C8},
    {6, true, true, 0x00F09020, 0x803264C8, 255, 0x803264C8},
    {6, true, true, 0x00F09020, 0x803264C8, 128, 0x803264C8},
    {6, true, true, 0x00F09020, 0xFF3264C8, 255, 0xFF3264C8},
    {6, true, true, 0x00F09020, 0xFF3264C8, 128, 0xFF3264C8},
    {6, true, true, 0x60F09020, 0x003264C8, 255, 0x003264C8},
    {6, true, true, 0x60F09020, 0x003264C8, 128, 0x003264C8},
    {6, true, true, 0x60F09020, 0x803264C8, 255, 0x803264C8},
    {6, true, true, 0x60F09020, 0x803264C8, 128, 0x803264C8},
    {6, true, true, 0x60F09020, 0xFF3264C8, 255, 0xFF3264C8},
    {6, true, true, 0x60F09020, 0xFF3264C8, 128, 0xFF3264C8},
    {6, false, true, 0x00F09020, 0x003264C8, 255, 0xFF3264C8},
    {6, false, true, 0x00F09020, 0x003264C8, 128, 0xFF3264C8},
    {6, false, true, 0x00F09020, 0x803264C8, 255, 0xFF3264C8},
    {6, false, true, 0x00F09020, 0x803264C8, 128, 0xFF3264C8},
    {6, false, true, 0x00F09020, 0xFF3264C8, 255, 0xFF3264C8},
    {6, false, true, 0x00F09020, 0xFF3264C8, 128, 0xFF3264C8},
    {6, false, true, 0x60F09020, 0x003264C8, 255, 0xFF3264C8},
    {6, false, true, 0x60F09020, 0x003264C8, 128, 0xFF3264C8},
    {6, false, true, 0x60F09020, 0x803264C8, 255, 0xFF3264C8},
    {6, false, true, 0x60F09020, 0x803264C8, 128, 0xFF3264C8},
    {6, false, true, 0x60F09020, 0xFF3264C8, 255, 0xFF3264C8},
    {6, false, true, 0x60F09020, 0xFF3264C8, 128, 0xFF3264C8},
    {0, true, false, 0x00F09020, 0xFF3264C8, 255, 0xFF3264C8},
    {0, true, false, 0x00F09020, 0xFF3264C8, 128, 0xFF3264C8},
    {0, true, false, 0x60F09020, 0xFF3264C8, 255, 0xFF3264C8},
    {0, true, false, 0x60F09020, 0xFF3264C8, 128, 0x80917A74},
    {0, false, false, 0x00F09020, 0xFF3264C8, 255, 0xFF3264C8},
    {0, false, false, 0x00F09020, 0xFF3264C8, 128, 0xFF917A74},
    {0, false, false, 0x60F09020, 0xFF3264C8, 255, 0xFF3264C8},
    {0, false, false, 0x60F09020, 0xFF3264C8, 128, 0xFF917A74},
};

struct ColoredCase {
  uint8_t Mode;
  uint32_t Color;
  bool HasAlpha;
  bool SourceHasAlpha;
  uint32_t Dst;
  uint32_t Src;
  uint8_t Alpha;
  uint32_t Expected;
};

const ColoredCase kColoredCases[] = {
    {0, 0xFF3060A0, true, true, 0x00F09020, 0x003264C8, 255, 0x00F09020},
    {0, 0xFF3060A0, true, true, 0x00F09020, 0x003264C8, 128, 0x00F09020},
    {0, 0xFF3060A0, true, true, 0x00F09020, 0x803264C8, 255, 0x803060A0},
    {0, 0xFF3060A0, true, true, 0x00F09020, 0x803264C8, 128, 0x403060A0},
    {0, 0xFF3060A0, true, true, 0x00F09020, 0xFF3264C8, 255, 0xFF3060A0},
    {0, 0xFF3060A0, true, true, 0x00F09020, 0xFF3264C8, 128, 0x7F3060A0},
    {0, 0xFF3060A0, true, true, 0x60F09020, 0x003264C8, 255, 0x60F09020},
    {0, 0xFF3060A0, true, true, 0x60F09020, 0x003264C8, 128, 0x60F09020},
    {0, 0xFF3060A0, true, true, 0x60F09020, 0x803264C8, 255, 0xAF907860},
    {0, 0xFF3060A0, true, true, 0x60F09020, 0x803264C8, 128, 0x87C08440},
    {0, 0xFF3060A0, true, true, 0x60F09020, 0xFF3264C8, 255, 0xFF3060A0},
    {0, 0xFF3060A0, true, true, 0x60F09020, 0xFF3264C8, 128, 0xAE90785F},
    {0, 0xFF3060A0, false, true, 0x00F09020, 0x003264C8, 255, 0x00F09020},
    {0, 0xFF3060A0, false, true, 0x00F09020, 0x003264C8, 128, 0x00F09020},
    {0, 0xFF3060A0, false, true, 0x00F09020, 0x803264C8, 255, 0xFF907860},
    {0, 0xFF3060A0, false, true, 0x00F09020, 0x803264C8, 128, 0xFFC08440},
    {0, 0xFF3060A0, false, true, 0x00F09020, 0xFF3264C8, 255, 0xFF3060A0},
    {0, 0xFF3060A0, false, true, 0x00F09020, 0xFF3264C8, 128, 0xFF90785F},
    {0, 0xFF3060A0, false, true, 0x60F09020, 0x003264C8, 255, 0x60F09020},
    {0, 0xFF3060A0, false, true, 0x60F09020, 0x003264C8, 128, 0x60F09020},
    {0, 0xFF3060A0, false, true, 0x60F09020, 0x803264C8, 255, 0xFF907860},
    {0, 0xFF3060A0, false, true, 0x60F09020, 0x803264C8, 128, 0xFFC08440},
    {0, 0xFF3060A0, false, true, 0x60F09020, 0xFF3264C8, 255, 0xFF3060A0},
    {0, 0xFF3060A0, false, true, 0x60F09020, 0xFF3264C8, 128, 0xFF90785F},
    {1, 0xFF3060A0, true, true, 0x00F09020, 0x003264C8, 255, 0x00F09020},
    {1, 0xFF3060A0, true, true, 0x00F09020, 0x003264C8, 128, 0x00F09020},
    {1, 0xFF3060A0, true, true, 0x00F09020, 0x803264C8, 255, 0x7FF1A465},
    {1, 0xFF3060A0, true, true, 0x00F09020, 0x803264C8, 128, 0x3FF09A42},
    {1, 0xFF3060A0, true, true, 0x00F09020, 0xFF3264C8, 255, 0xFDF2B9AB},
    {1, 0xFF3060A0, true, true, 0x00F09020, 0xFF3264C8, 128, 0x7EF1A465},
    {1, 0xFF3060A0, true, true, 0x60F09020, 0x003264C8, 255, 0x60F09020},
    {1, 0xFF3060A0, true, true, 0x60F09020, 0x003264C8, 128, 0x60F09020},
    {1, 0xFF3060A0, true, true, 0x60F09020, 0x803264C8, 255, 0xAFF1A465},
    {1, 0xFF3060A0, true, true, 0x60F09020, 0x803264C8, 128, 0x87F09A42},
    {1, 0xFF3060A0, true, true, 0x60F09020, 0xFF3264C8, 255, 0xFDF2B9AB},
    {1, 0xFF3060A0, true, true, 0x60F09020, 0xFF3264C8, 128, 0xAEF1A465},
    {1, 0xFF3060A0, false, true, 0x00F09020, 0x003264C8, 255, 0x00F09020},
    {1, 0xFF3060A0, false, true, 0x00F09020, 0x003264C8, 128, 0x00F09020},
    {1, 0xFF3060A0, false, true, 0x00F09020, 0x803264C8, 255, 0xFFF1A465},
    {1, 0xFF3060A0, false, true, 0x00F09020, 0x803264C8, 128, 0xFFF09A42},
    {1, 0xFF3060A0, false, true, 0x00F09020, 0xFF3264C8, 255, 0xFFF2B9AB},
    {1, 0xFF3060A0, false, true, 0x00F09020, 0xFF3264C8, 128, 0xFFF1A465},
    {1, 0xFF3060A0, false, true, 0x60F09020, 0x003264C8, 255, 0x60F09020},
    {1, 0xFF3060A0, false, true, 0x60F09020, 0x003264C8, 128, 0x60F09020},
    {1, 0xFF3060A0, false, true, 0x60F09020, 0x803264C8, 255, 0xFFF1A465},
    {1, 0xFF3060A0, false, true, 0x60F09020, 0x803264C8, 128, 0xFFF09A42},
    {1, 0xFF3060A0, false, true, 0x60F09020, 0xFF3264C8, 255, 0xFFF2B9AB},
    {1, 0xFF3060A0, false, true, 0x60F09020, 0xFF3264C8, 128, 0xFFF1A465},
    {2, 0xFF3060A0, true, true, 0x00F09020, 0x003264C8, 255, 0x00F09020},
    {2, 0xFF3060A0, true, true, 0x00F09020, 0x003264C8, 128, 0x00F09020},
    {2, 0xFF3060A0, true, true, 0x00F09020, 0x803264C8, 255, 0x7FEA8223},
    {2, 0xFF3060A0, true, true, 0x00F09020, 0x803264C8, 128, 0x3FEC8921},
    {2, 0xFF3060A0, true, true, 0x00F09020, 0xFF3264C8, 255, 0xFDE57527},
    {2, 0xFF3060A0, true, true, 0x00F09020, 0xFF3264C8, 128, 0x7EE98223},
    {2, 0xFF3060A0, true, true, 0x60F09020, 0x003264C8, 255, 0x60F09020},
    {2, 0xFF3060A0, true, true, 0x60F09020, 0x003264C8, 128, 0x60F09020},
    {2, 0xFF3060A0, true, true, 0x60F09020, 0x803264C8, 255, 0xAFEA8223},
    {2, 0xFF3060A0, true, true, 0x60F09020, 0x803264C8, 128, 0x87EC8921},
    {2, 0xFF3060A0, true, true, 0x60F09020, 0xFF3264C8, 255, 0xFDE57527},
    {2, 0xFF3060A0, true, true, 0x60F09020, 0xFF3264C8, 128, 0xAEE98223},
    {2, 0xFF3060A0, false, true, 0x00F09020, 0x003264C8, 255, 0x00F09020},
    {2, 0xFF3060A0, false, true, 0x00F09020, 0x003264C8, 128, 0x00F09020},
    {2, 0xFF3060A0, false, true, 0x00F09020, 0x803264C8, 255, 0xFFEA8223},
    {2, 0xFF3060A0, false, true, 0x00F09020, 0x803264C8, 128, 0xFFEC8921},
    {2, 0xFF3060A0, false, true, 0x00F09020, 0xFF3264C8, 255, 0xFFE57527},
    {2, 0xFF3060A0, false, true, 0x00F09020, 0xFF3264C8, 128, 0xFFE98223},
    {2, 0xFF3060A0, false, true, 0x60F09020, 0x003264C8, 255, 0x60F09020},
    {2, 0xFF3060A0, false, true, 0x60F09020, 0x003264C8, 128, 0x60F09020},
    {2, 0xFF3060A0, false, true, 0x60F09020, 0x803264C8, 255, 0xFFEA8223},
    {2, 0xFF3060A0, false, true, 0x60F09020, 0x803264C8, 128, 0xFFEC8921},
    {2, 0xFF3060A0, false, true, 0x60F09020, 0xFF3264C8, 255, 0xFFE57527},
    {2, 0xFF3060A0, false, true, 0x60F09020, 0xFF3264C8, 128, 0xFFE98223},
    {3, 0xFF3060A0, true, true, 0x00F09020, 0x003264C8, 255, 0x00F09020},
    {3, 0xFF3060A0, true, true, 0x00F09020, 0x003264C8, 128, 0x00F09020},
    {3, 0xFF3060A0, true, true, 0x00F09020, 0x803264C8, 255, 0x7FA27140},
    {3, 0xFF3060A0, true, true, 0x00F09020, 0x803264C8, 128, 0x3FC9812F},
    {3, 0xFF3060A0, true, true, 0x00F09020, 0xFF3264C8, 255, 0xFD535260},
    {3, 0xFF3060A0, true, true, 0x00F09020, 0xFF3264C8, 128, 0x7EA2713F},
    {3, 0xFF3060A0, true, true, 0x60F09020, 0x003264C8, 255, 0x60F09020},
    {3, 0xFF3060A0, true, true, 0x60F09020, 0x003264C8, 128, 0x60F09020},
    {3, 0xFF3060A0, true, true, 0x60F09020, 0x803264C8, 255, 0xAFA27140},
    {3, 0xFF3060A0, true, true, 0x60F09020, 0x803264C8, 128, 0x87C9812F},
    {3, 0xFF3060A0, true, true, 0x60F09020, 0xFF3264C8, 255, 0xFD535260},
    {3, 0xFF3060A0, true, true, 0x60F09020, 0xFF3264C8, 128, 0xAEA2713F},
    {3, 0xFF3060A0, false, true, 0x00F09020, 0x003264C8, 255, 0x00F09020},
    {3, 0xFF3060A0, false, true, 0x00F09020, 0x003264C8, 128, 0x00F09020},
    {3, 0xFF3060A0, false, true, 0x00F09020, 0x803264C8, 255, 0xFFA27140},
    {3, 0xFF3060A0, false, true, 0x00F09020, 0x803264C8, 128, 0xFFC9812F},
    {3, 0xFF3060A0, false, true, 0x00F09020, 0xFF3264C8, 255, 0xFF535260},
    {3, 0xFF3060A0, false, true, 0x00F09020, 0xFF3264C8, 128, 0xFFA2713F},
    {3, 0xFF3060A0, false, true, 0x60F09020, 0x003264C8, 255, 0x60F09020},
    {3, 0xFF3060A0, false, true, 0x60F09020, 0x003264C8, 128, 0x60F09020},
    {3, 0xFF3060A0, false, true, 0x60F09020, 0x803264C8, 255, 0xFFA27140},
    {3, 0xFF3060A0, false, true, 0x60F09020, 0x803264C8, 128, 0xFFC9812F},
    {3, 0xFF3060A0, false, true, 0x60F09020, 0xFF3264C8, 255, 0xFF535260},
    {3, 0xFF3060A0, false, true, 0x60F09020, 0xFF3264C8, 128, 0xFFA2713F},
    {4, 0xFF3060A0, true, true, 0x00F09020, 0x003264C8, 255, 0x00F09020},
    {4, 0xFF3060A0, true, true, 0x00F09020, 0x003264C8, 128, 0x00F09020},
    {4, 0xFF3060A0, true, true, 0x00F09020, 0x803264C8, 255, 0x7FFFBF6F},
    {4, 0xFF3060A0, true, true, 0x00F09020, 0x803264C8, 128, 0x3FFBA747},
    {4, 0xFF3060A0, true, true, 0x00F09020, 0xFF3264C8, 255, 0xFDFFEEBE},
    {4, 0xFF3060A0, true, true, 0x00F09020, 0xFF3264C8, 128, 0x7EFFBF6E},
    {4, 0xFF3060A0, true, true, 0x60F09020, 0x003264C8, 255, 0x60F09020},
    {4, 0xFF3060A0, true, true, 0x60F09020, 0x003264C8, 128, 0x60F09020},
    {4, 0xFF3060A0, true, true, 0x60F09020, 0x803264C8, 255, 0xAFFFBF6F},
    {4, 0xFF3060A0, true, true, 0x60F09020, 0x803264C8, 128, 0x87FBA747},
    {4, 0xFF3060A0, true, true, 0x60F09020, 0xFF3264C8, 255, 0xFDFFEEBE},
    {4, 0xFF3060A0, true, true, 0x60F09020, 0xFF3264C8, 128, 0xAEFFBF6E},
    {4, 0xFF3060A0, false, true, 0x00F09020, 0x003264C8, 255, 0x00F09020},
    {4, 0xFF3060A0, false, true, 0x00F09020, 0x003264C8, 128, 0x00F09020},
    {4, 0xFF3060A0, false, true, 0x00F09020, 0x803264C8, 255, 0xFFFFBF6F},
    {4, 0xFF3060A0, false, true, 0x00F09020, 0x803264C8, 128, 0xFFFBA747},
    {4, 0xFF3060A0, false, true, 0x00F09020, 0xFF3264C8, 255, 0xFFFFEEBE},
    {4, 0xFF3060A0, false, true, 0x00F09020, 0xFF3264C8, 128, 0xFFFFBF6E},
    {4, 0xFF3060A0, false, true, 0x60F09020, 0x003264C8, 255, 0x60F09020},
    {4, 0xFF3060A0, false, true, 0x60F09020, 0x003264C8, 128, 0x60F09020},
    {4, 0xFF3060A0, false, true, 0x60F09020, 0x803264C8, 255, 0xFFFFBF6F},
    {4, 0xFF3060A0, false, true, 0x60F09020, 0x803264C8, 128, 0xFFFBA747},
    {4, 0xFF3060A0, false, true, 0x60F09020, 0xFF3264C8, 255, 0xFFFFEEBE},
    {4, 0xFF3060A0, false, true, 0x60F09020, 0xFF3264C8, 128, 0xFFFFBF6E},
    {5, 0xFF3060A0, true, true, 0x00F09020, 0x003264C8, 255, 0xFF3060A0},
    {5, 0xFF3060A0, true, true, 0x00F09020, 0x003264C8, 128, 0xFF3060A0},
    {5, 0xFF3060A0, true, true, 0x00F09020, 0x803264C8, 255, 0xFF3060A0},
    {5, 0xFF3060A0, true, true, 0x00F09020, 0x803264C8, 128, 0xFF3060A0},
    {5, 0xFF3060A0, true, true, 0x00F09020, 0xFF3264C8, 255, 0xFF3060A0},
    {5, 0xFF3060A0, true, true, 0x00F09020, 0xFF3264C8, 128, 0xFF3060A0},
    {5, 0xFF3060A0, true, true, 0x60F09020, 0x003264C8, 255, 0x60F09020},
    {5, 0xFF3060A0, true, true, 0x60F09020, 0x003264C8, 128, 0x60F09020},
    {5, 0xFF3060A0, true, true, 0x60F09020, 0x803264C8, 255, 0xFF3060A0},
    {5, 0xFF3060A0, true, true, 0x60F09020, 0x803264C8, 128, 0x60F09020},
    {5, 0xFF3060A0, true, true, 0x60F09020, 0xFF3264C8, 255, 0xFF3060A0},
    {5, 0xFF3060A0, true, true, 0x60F09020, 0xFF3264C8, 128, 0xFF3060A0},
    {5, 0xFF3060A0, false, true, 0x00F09020, 0x003264C8, 255, 0xFF3060A0},
    {5, 0xFF3060A0, false, true, 0x00F09020, 0x003264C8, 128, 0xFF3060A0},
    {5, 0xFF3060A0, false, true, 0x00F09020, 0x803264C8, 255, 0xFF3060A0},
    {5, 0xFF3060A0, false, true, 0x00F09020, 0x803264C8, 128, 0xFF3060A0},
    {5, 0xFF3060A0, false, true, 0x00F09020, 0xFF3264C8, 255, 0xFF3060A0},
    {5, 0xFF3060A0, false, true, 0x00F09020, 0xFF3264C8, 128, 0xFF3060A0},
    {5, 0xFF3060A0, false, true, 0x60F09020, 0x003264C8, 255, 0x60F09020},
    {5, 0xFF3060A0, false, true, 0x60F09020, 0x003264C8, 128, 0x60F09020},
    {5, 0xFF3060A0, false, true, 0x60F09020, 0x803264C8, 255, 0xFF3060A0},
    {5, 0xFF3060A0, false, true, 0x60F09020, 0x803264C8, 128, 0x60F09020},
    {5, 0xFF3060A0, false, true, 0x60F09020, 0xFF3264C8, 255, 0xFF3060A0},
    {5, 0xFF3060A0, false, true, 0x60F09020, 0xFF3264C8, 128, 0xFF3060A0},
    {0, 0x803060A0, true, true, 0x60F09020, 0x803264C8, 255, 0x87C08440},
    {0, 0x803060A0, true, true, 0x60F09020, 0xFF3264C8, 255, 0xAE90785F},
    {1, 0x803060A0, true, true, 0x60F09020, 0x803264C8, 255, 0x87F09A42},
    {1, 0x803060A0, true, true, 0x60F09020, 0xFF3264C8, 255, 0xAEF1A465},
    {2, 0x803060A0, true, true, 0x60F09020, 0x803264C8, 255, 0x87EC8921},
    {2, 0x803060A0, true, true, 0x60F09020, 0xFF3264C8, 255, 0xAEE98223},
    {3, 0x803060A0, true, true, 0x60F09020, 0x803264C8, 255, 0x87C9812F},
    {3, 0x803060A0, true, true, 0x60F09020, 0xFF3264C8, 255, 0xAEA2713F},
    {4, 0x803060A0, true, true, 0x60F09020, 0x803264C8, 255, 0x87FBA747},
    {4, 0x803060A0, true, true, 0x60F09020, 0xFF3264C8, 255, 0xAEFFBF6E},
    {5, 0x803060A0, true, true, 0x60F09020, 0x803264C8, 255, 0x60F09020},
    {5, 0x803060A0, true, true, 0x60F09020, 0xFF3264C8, 255, 0x803060A0},
    {0, 0xFF3060A0, true, false, 0x00F09020, 0xFF3264C8, 255, 0xFF3060A0},
    {0, 0xFF3060A0, true, false, 0x00F09020, 0xFF3264C8, 128, 0x803060A0},
    {0, 0xFF3060A0, true, false, 0x60F09020, 0xFF3264C8, 255, 0xFF3060A0},
    {0, 0xFF3060A0, true, false, 0x60F09020, 0xFF3264C8, 128, 0x80907860},
    {0, 0xFF3060A0, false, false, 0x00F09020, 0xFF3264C8, 255, 0xFF3060A0},
    {0, 0xFF3060A0, false, false, 0x00F09020, 0xFF3264C8, 128, 0xFF907860},
    {0, 0xFF3060A0, false, false, 0x60F09020, 0xFF3264C8, 255, 0xFF3060A0},
    {0, 0xFF3060A0, false, false, 0x60F09020, 0xFF3264C8, 128, 0xFF907860},
};

void ExpectRow(TSurface& surface, uint32_t expected, const std::string& what) {
  for (int32_t x = 0; x < surface.GetWidth(); ++x)
    ASSERT_EQ(Hex(surface.PixelValue(x, 0)), Hex(expected)) << what << " at x " << x;
}

TEST(SurfaceBlend, DrawFollowsTheRuleOfEveryMode) {
  ForEachKernelTable([] {
    for (const DrawCase& c : kDrawCases) {
      Ref<TSurface> dst = MakeSurface(kRow, 1, c.HasAlpha, c.Dst);
      Ref<TSurface> src = MakeSurface(kRow, 1, c.SourceHasAlpha, c.Src);
      EXPECT_TRUE(dst->Draw(src.get(), {0, 0, kRow, 1}, c.Mode, c.Alpha, {0, 0, kRow, 1}));
      char what[128];
      std::snprintf(what, sizeof what, "mode %d hasAlpha %d source alpha %d d %08X s %08X g %d",
                    c.Mode, c.HasAlpha, c.SourceHasAlpha, c.Dst, c.Src, c.Alpha);
      ExpectRow(*dst, c.Expected, what);
    }
  });
}

TEST(SurfaceBlend, DrawColoredFollowsTheRuleOfEveryMode) {
  ForEachKernelTable([] {
    for (const ColoredCase& c : kColoredCases) {
      Ref<TSurface> dst = MakeSurface(kRow, 1, c.HasAlpha, c.Dst);
      Ref<TSurface> src = MakeSurface(kRow, 1, c.SourceHasAlpha, c.Src);
      EXPECT_TRUE(
          dst->DrawColored(c.Color, src.get(), c.Mode, c.Alpha, {0, 0, kRow, 1}, {0, 0, kRow, 1}));
      char what[160];
      std::snprintf(what, sizeof what,
                    "mode %d colour %08X hasAlpha %d source alpha %d d %08X s %08X g %d", c.Mode,
                    c.Color, c.HasAlpha, c.SourceHasAlpha, c.Dst, c.Src, c.Alpha);
      ExpectRow(*dst, c.Expected, what);
    }
  });
}

// A fully opaque source pixel must land unchanged: the blend formula alone would turn
// 255 over 0 into 254.
TEST(SurfaceBlend, OpaqueSourceGivesExactlyItsColour) {
  ForEachKernelTable([] {
    for (bool hasAlpha : {false, true}) {
      Ref<TSurface> dst = MakeSurface(kRow, 1, hasAlpha, 0xFF000000);
      Ref<TSurface> src = MakeSurface(kRow, 1, true, 0xFFFF00FF);
      dst->Draw(src.get(), {0, 0, kRow, 1}, bmNormal, 255, {0, 0, kRow, 1});
      ExpectRow(*dst, 0xFFFF00FF, "opaque over black");
    }
  });
}

TEST(SurfaceBlend, TransparentSourceLeavesTheDestination) {
  ForEachKernelTable([] {
    for (bool hasAlpha : {false, true}) {
      // Alpha 0 destination on a surface with alpha: still untouched.
      for (uint32_t d : {0x00123456u, 0x80123456u}) {
        Ref<TSurface> dst = MakeSurface(kRow, 1, hasAlpha, d);
        Ref<TSurface> src = MakeSurface(kRow, 1, true, 0x00FFFFFF);
        dst->Draw(src.get(), {0, 0, kRow, 1}, bmNormal, 255, {0, 0, kRow, 1});
        ExpectRow(*dst, d, "transparent source");
      }
    }
  });
}

// Overlay's destination alpha takes the form of the other modes (coverage plus the rest of
// the destination's alpha), so an opaque overlay leaves an opaque pixel (nearly) opaque
// instead of almost transparent.
TEST(SurfaceBlend, OverlayAlphaMatchesTheOtherModes) {
  ForEachKernelTable([] {
    for (uint32_t d : {0xFF808080u, 0x60808080u}) {
      uint32_t alphas[5] = {};
      for (uint8_t mode = bmScreen; mode <= bmAddition; ++mode) {
        Ref<TSurface> dst = MakeSurface(kRow, 1, true, d);
        Ref<TSurface> src = MakeSurface(kRow, 1, true, 0xFF4080C0);
        dst->Draw(src.get(), {0, 0, kRow, 1}, mode, 255, {0, 0, kRow, 1});
        alphas[mode] = dst->PixelValue(0, 0) >> 24;
      }
      EXPECT_EQ(alphas[bmOverlay], alphas[bmScreen]);
      EXPECT_EQ(alphas[bmOverlay], alphas[bmLinearLight]);
      EXPECT_GE(alphas[bmOverlay], 254u);
    }
  });
}

// A surface drawn onto itself where the rectangles meet gives what drawing an unchanged
// copy of it gives, whichever way the rectangles are shifted.
TEST(SurfaceBlend, DrawingASurfaceOntoItselfActsAsDrawingACopy) {
  auto fill = [](TSurface& s) {
    for (int32_t y = 0; y < s.GetHeight(); ++y)
      for (int32_t x = 0; x < s.GetWidth(); ++x)
        *s.PixelAddress(x, y) = uint32_t(x * 37 + y * 11) << 24 | uint32_t(x * 7919 + y * 104729);
  };
  const TPoint shifts[] = {{3, 0}, {-3, 0}, {0, 2}, {0, -2}, {5, 1}, {-1, -4}, {0, 0}};
  ForEachKernelTable([&] {
    for (const TPoint& shift : shifts) {
      for (uint8_t mode : {bmNormal, bmBltFast, bmScreen}) {
        Ref<TSurface> self = MakeSurface(40, 12, true);
        Ref<TSurface> other = MakeSurface(40, 12, true);
        fill(*self);
        fill(*other);
        Ref<TSurface> copy = MakeSurface(40, 12, true);
        fill(*copy);
        const TRect from{4, 3, 34, 9};
        const TRect to{4 + shift.X, 3 + shift.Y, 34 + shift.X, 9 + shift.Y};
        EXPECT_TRUE(self->Draw(self.get(), from, mode, 200, to));
        EXPECT_TRUE(other->Draw(copy.get(), from, mode, 200, to));
        EXPECT_TRUE(copy->Draw(other.get(), {0, 0, 40, 12}, bmBltFast, 255, {0, 0, 40, 12}));
        EXPECT_TRUE(self->DrawColored(0xC0306090, self.get(), bmNormal, 255, to, from));
        EXPECT_TRUE(other->DrawColored(0xC0306090, copy.get(), bmNormal, 255, to, from));
        for (int32_t y = 0; y < 12; ++y)
          for (int32_t x = 0; x < 40; ++x)
            ASSERT_EQ(Hex(self->PixelValue(x, y)), Hex(other->PixelValue(x, y)))
                << "mode " << int(mode) << " shift " << shift.X << "," << shift.Y << " at " << x
                << "," << y;
      }
    }
  });
}

TEST(SurfaceBlend, GlobalAlphaZeroSucceedsAndChangesNothing) {
  Ref<TSurface> dst = MakeSurface(4, 4, true, 0x11223344);
  Ref<TSurface> src = MakeSurface(4, 4, true, 0xFFFFFFFF);
  for (uint8_t mode = 0; mode <= 6; ++mode) {
    EXPECT_TRUE(dst->Draw(src.get(), {0, 0, 4, 4}, mode, 0, {0, 0, 4, 4}));
    EXPECT_TRUE(dst->DrawColored(0xFF0000FF, src.get(), mode > 5 ? 0 : mode, 0, {0, 0, 4, 4},
                                 {0, 0, 4, 4}));
  }
  EXPECT_EQ(dst->PixelValue(2, 2), 0x11223344u);
  // Without an intersection there is nothing to report.
  EXPECT_FALSE(dst->Draw(src.get(), {0, 0, 4, 4}, bmNormal, 0, {10, 10, 14, 14}));
}

TEST(SurfaceBlend, MissingSourceOrPixelsOrUnknownModeDrawNothing) {
  Ref<TSurface> dst = MakeSurface(4, 4, true, 0x11223344);
  Ref<TSurface> src = MakeSurface(4, 4, true, 0xFFFFFFFF);
  Ref<TSurface> empty = TAbstractObject::Create<TSurface>();
  EXPECT_FALSE(dst->Draw(nullptr, {0, 0, 4, 4}, bmNormal, 255, {0, 0, 4, 4}));
  EXPECT_FALSE(dst->Draw(src.get(), {0, 0, 4, 4}, 7, 255, {0, 0, 4, 4}));
  EXPECT_FALSE(dst->DrawColored(0xFFFFFFFF, src.get(), bmBltFast, 255, {0, 0, 4, 4}, {0, 0, 4, 4}));
  EXPECT_FALSE(empty->Draw(src.get(), {0, 0, 4, 4}, bmNormal, 255, {0, 0, 4, 4}));
  EXPECT_FALSE(dst->Draw(empty.get(), {0, 0, 4, 4}, bmNormal, 255, {0, 0, 4, 4}));
  EXPECT_EQ(dst->PixelValue(0, 0), 0x11223344u);
}

}  // namespace
