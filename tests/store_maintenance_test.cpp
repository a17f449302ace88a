#include "engine/store_maintenance.h"

#include <gtest/gtest.h>

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

uint16_t Centre(ChannelStore& store) {
  const LuminanceMatrix& m = store.Plane(0)->Matrix();
  return m.Get(m.colOffset + m.w / 2, m.rowOffset + m.h / 2);
}

TEST(StoreMix, WeightsClipAndSubtract) {
  struct Case { uint16_t a, b; int wA, wB; uint16_t expected; };
  for (Case c : {Case{200, 100, 50, 50, 150}, Case{200, 100, 100, 100, 255},
                 Case{100, 200, 100, -40, 20}, Case{100, 200, 0, -100, 0},
                 Case{100, 0, 0, 100, 0}}) {
    ChannelStore a, b;
    MakeConstant(a, 4, 3, c.a, false);
    MakeConstant(b, 4, 3, c.b, false);
    EXPECT_EQ(MixStores(a, b, c.wA, c.wB), 0);
    EXPECT_EQ(Centre(a), c.expected) << c.a << " " << c.b << " " << c.wA << " " << c.wB;
    // Margins are refilled from the mixed values.
    const LuminanceMatrix& m = a.Plane(0)->Matrix();
    EXPECT_EQ(m.Get(m.colOffset - 1, m.rowOffset - 1), c.expected);
  }
}

TEST(StoreMix, SixteenBitValuesStaySixteenBitAndStatisticsWiden) {
  ChannelStore a, b;
  MakeConstant(a, 3, 3, 40000, true);
  MakeConstant(b, 3, 3, 30000, true);
  MixStores(a, b, 100, 100);
  EXPECT_EQ(Centre(a), 65535);
  EXPECT_EQ(a.Plane(0)->Max(), 65535);
  EXPECT_EQ(a.Plane(0)->Min(), 40000);

  // An 8-bit secondary is scaled up into a 16-bit store.
  ChannelStore c, d;
  MakeConstant(c, 3, 3, 1000, true);
  MakeConstant(d, 3, 3, 51, false);
  MixStores(c, d, 50, 50);
  EXPECT_EQ(Centre(c), (50 * 1000 + 50 * (51 * 65535 / 255)) / 100);
}

TEST(StoreMix, SixteenBitSecondaryIsScaledByItsRange) {
  ChannelStore a, b;
  MakeConstant(a, 3, 3, 10, false);
  MakeConstant(b, 3, 3, 3000, true);
  // The secondary's plane 0 spans one value (3000..3000): range 1.
  MixStores(a, b, 100, -1);
  EXPECT_EQ(Centre(a), 0);  // 10 x 100 - 1 x (3000 x 255 / 1) < 0
}

TEST(StoreGeometry, RotateAndFlipMoveEveryPlane) {
  ChannelStore store;
  ASSERT_EQ(store.SetChannelCount(2), 2);
  for (int i = 0; i < 2; ++i) {
    LuminanceMatrix& m = store.Plane(i)->Matrix();
    ASSERT_TRUE(m.Allocate(5, 2));
    m.Set(m.colOffset, m.rowOffset + 1, uint16_t(7 + i));  // top-left pixel
  }
  RotateStore(store, 0);  // clockwise: top-left goes to top-right
  for (int i = 0; i < 2; ++i) {
    const LuminanceMatrix& m = store.Plane(i)->Matrix();
    ASSERT_EQ(m.w, 2);
    EXPECT_EQ(m.Get(m.colOffset + 1, m.rowOffset + m.h - 1), 7 + i);
  }
  FlipStore(store, true);  // mirrored: back to the top-left
  for (int i = 0; i < 2; ++i) {
    const LuminanceMatrix& m = store.Plane(i)->Matrix();
    EXPECT_EQ(m.Get(m.colOffset, m.rowOffset + m.h - 1), 7 + i);
  }
}

}  // namespace
}  // namespace veska
