#include "engine/store_maintenance.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace veska {
namespace {

// A one-plane store whose w x h image area holds `value` everywhere.
void MakeConstant(ChannelStore& store, int w, int h, uint16_t value, bool sixteenBit) {
  ASSERT_EQ(store.SetChannelCount(1), 1);
  LuminanceMatrix& m = store.Plane(0)->Matrix();
  ASSERT_TRUE(m.Allocate(w, h));
  for (int r = m.rowOffset; r < m.rowOffset + h; ++r)
    for (int c = m.colOffset; c < m.colOffset + w; ++c) m.rows[r][c] = value;
  m.RefreshStatistics();
  m.MirrorMargins();
  store.SetDerived(false);
  store.SetSixteenBit(sixteenBit);
}

TEST(StoreMix, WeightsClipSubtractAndRescaleDepths) {
  struct Case { uint16_t a; bool aWide; uint16_t b; bool bWide; int wA, wB; uint16_t expected; };
  const Case cases[] = {
      {200, false, 100, false, 50, 50, 150},   {200, false, 100, false, 100, 100, 255},
      {100, false, 200, false, 70, -40, 20},  {100, false, 200, false, 0, -100, 0},
      {100, false, 0, false, 0, 100, 0},       {40000, true, 30000, true, 100, 100, 65535},
      // An 8-bit secondary is scaled up into a 16-bit store: 51 counts as 13107.
      {1000, true, 51, false, 50, 50, 7053},
      // A 16-bit secondary is scaled by its plane 0's range, here 1 (3000..3000):
      // 10 x 100 - 1 x (3000 x 255 / 1) < 0.
      {10, false, 3000, true, 100, -1, 0},
  };
  for (const Case& c : cases) {
    ChannelStore a, b;
    MakeConstant(a, 4, 3, c.a, c.aWide);
    MakeConstant(b, 4, 3, c.b, c.bWide);
    EXPECT_EQ(MixStores(a, b, c.wA, c.wB), 0);
    const LuminanceMatrix& m = a.Plane(0)->Matrix();
    EXPECT_EQ(m.Get(m.colOffset + 2, m.rowOffset + 1), c.expected)
        << c.a << " " << c.b << " " << c.wA << " " << c.wB;
    // Margins are refilled from the mixed values; the statistics only widen.
    EXPECT_EQ(m.Get(m.colOffset - 1, m.rowOffset - 1), c.expected);
    EXPECT_EQ(a.Plane(0)->Max(), std::max(c.a, c.expected));
    EXPECT_EQ(a.Plane(0)->Min(), std::min(c.a, c.expected));
  }
}

}  // namespace
}  // namespace veska
