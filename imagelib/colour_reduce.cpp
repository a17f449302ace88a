// Reduction of a 24-bit image to an 8-bit colour-table image: exact when the
// image has few enough colours, median cut otherwise.

#include <algorithm>
#include <memory>
#include <new>

#include "imagelib/image_ops.h"
#include "imagelib/pixel_access.h"
#include "imagelib/status.h"

namespace veska {
namespace {

constexpr int kMaxColours = 256;
constexpr int kCellCount = 1 << 15;  // 5 bits per channel

uint32_t PackColour(const uint8_t* bgr) {
  return uint32_t(bgr[2]) << 16 | uint32_t(bgr[1]) << 8 | bgr[0];
}

int CellOf(const uint8_t* bgr) { return (bgr[2] >> 3) << 10 | (bgr[1] >> 3) << 5 | bgr[0] >> 3; }

RgbQuad Quad(int red, int green, int blue) {
  return RgbQuad{uint8_t(blue), uint8_t(green), uint8_t(red), 0};
}

// The processing-rectangle overlap of a 24-bit source and an 8-bit
// destination, with a callback per pixel receiving the source pixel and the
// destination byte.
struct Region {
  ImageDesc& source;
  ImageDesc& destination;
  int width;
  int height;

  template <typename F>
  void ForEach(F&& f) const {
    for (int y = 0; y < height; ++y) {
      const uint8_t* src = source.Row(int(source.top) + y) + size_t(source.left) * 3;
      uint8_t* dst = destination.Row(int(destination.top) + y) + destination.left;
      for (int x = 0; x < width; ++x) f(src + size_t(x) * 3, dst + x);
    }
  }
};

// Open-addressing set of at most `limit` exact colours with their indices.
class ExactColours {
 public:
  static constexpr int kSlots = 4096;  // power of two, well above 256

  // Index of `colour`, adding it when new; -1 when it would exceed `limit`.
  int Find(uint32_t colour, int limit) {
    uint32_t slot = (colour * 2654435761u) >> 20;
    while (keys_[slot] != 0) {
      if (keys_[slot] == colour + 1) return index_[slot];
      slot = (slot + 1) & (kSlots - 1);
    }
    if (count_ == limit) return -1;
    keys_[slot] = colour + 1;
    index_[slot] = uint8_t(count_);
    colours_[count_] = colour;
    return count_++;
  }
  int Count() const { return count_; }
  uint32_t Colour(int i) const { return colours_[i]; }

 private:
  uint32_t keys_[kSlots] = {};
  uint8_t index_[kSlots] = {};
  uint32_t colours_[kMaxColours] = {};
  int count_ = 0;
};

// Gives the destination its table: `count` entries, the rest black; the
// destination is a colour image afterwards.
void WriteTable(ImageDesc& destination, const RgbQuad* table, int count) {
  for (int i = 0; i < destination.colours; ++i)
    destination.palette[i] = i < count ? table[i] : RgbQuad{0, 0, 0, 0};
  destination.imageType &= ~kImageTypeGray;
  PushColourTable(destination);
}

// True (and the destination written) when the region has at most `limit`
// colours.
bool ReduceExact(const Region& region, int limit) {
  auto colours = std::unique_ptr<ExactColours>(new (std::nothrow) ExactColours);
  if (!colours) return false;
  bool fits = true;
  region.ForEach([&](const uint8_t* bgr, uint8_t*) {
    if (fits && colours->Find(PackColour(bgr), limit) < 0) fits = false;
  });
  if (!fits) return false;
  region.ForEach([&](const uint8_t* bgr, uint8_t* out) {
    *out = uint8_t(colours->Find(PackColour(bgr), limit));
  });
  RgbQuad table[kMaxColours];
  for (int i = 0; i < colours->Count(); ++i) {
    const uint32_t c = colours->Colour(i);
    table[i] = Quad(int(c >> 16), int(c >> 8 & 255), int(c & 255));
  }
  WriteTable(region.destination, table, colours->Count());
  return true;
}

struct Cell {
  uint64_t red, green, blue;  // sums of the exact colours that fall in the cell
  uint32_t pixels;
};

struct Box {
  int begin, end;  // range in the list of occupied cells
  uint64_t pixels;
};

int CellComponent(int cell, int axis) { return cell >> (10 - 5 * axis) & 31; }

// Splits `box` at the pixel-weighted median of its longest axis; false when it
// holds a single cell.
bool SplitBox(Box& box, Box& added, int* cells, const Cell* stats) {
  if (box.end - box.begin < 2) return false;
  int lo[3] = {31, 31, 31}, hi[3] = {0, 0, 0};
  for (int i = box.begin; i < box.end; ++i)
    for (int a = 0; a < 3; ++a) {
      lo[a] = std::min(lo[a], CellComponent(cells[i], a));
      hi[a] = std::max(hi[a], CellComponent(cells[i], a));
    }
  int axis = 0;
  for (int a = 1; a < 3; ++a)
    if (hi[a] - lo[a] > hi[axis] - lo[axis]) axis = a;
  std::sort(cells + box.begin, cells + box.end, [axis](int p, int q) {
    return CellComponent(p, axis) < CellComponent(q, axis);
  });
  uint64_t below = 0;
  int split = box.begin + 1;
  for (int i = box.begin; i < box.end - 1; ++i) {
    below += stats[cells[i]].pixels;
    split = i + 1;
    if (below * 2 >= box.pixels) break;
  }
  uint64_t upper = 0;
  for (int i = split; i < box.end; ++i) upper += stats[cells[i]].pixels;
  added = Box{split, box.end, upper};
  box = Box{box.begin, split, box.pixels - upper};
  return true;
}

int ReduceMedianCut(const Region& region, int limit) {
  auto stats = std::unique_ptr<Cell[]>(new (std::nothrow) Cell[kCellCount]());
  auto cells = std::unique_ptr<int[]>(new (std::nothrow) int[kCellCount]);
  auto lookup = std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[kCellCount]());
  if (!stats || !cells || !lookup) return status::kNoMemory;
  region.ForEach([&](const uint8_t* bgr, uint8_t*) {
    Cell& cell = stats[CellOf(bgr)];
    cell.red += bgr[2];
    cell.green += bgr[1];
    cell.blue += bgr[0];
    ++cell.pixels;
  });
  int occupied = 0;
  uint64_t total = 0;
  for (int c = 0; c < kCellCount; ++c)
    if (stats[c].pixels != 0) {
      cells[occupied++] = c;
      total += stats[c].pixels;
    }

  Box boxes[kMaxColours];
  int count = 1;
  boxes[0] = Box{0, occupied, total};
  while (count < limit) {
    // Split the most populous box that still holds more than one cell.
    int chosen = -1;
    for (int b = 0; b < count; ++b)
      if (boxes[b].end - boxes[b].begin > 1 &&
          (chosen < 0 || boxes[b].pixels > boxes[chosen].pixels))
        chosen = b;
    if (chosen < 0 || !SplitBox(boxes[chosen], boxes[count], cells.get(), stats.get())) break;
    ++count;
  }

  RgbQuad table[kMaxColours];
  for (int b = 0; b < count; ++b) {
    uint64_t r = 0, g = 0, bl = 0;
    for (int i = boxes[b].begin; i < boxes[b].end; ++i) {
      r += stats[cells[i]].red;
      g += stats[cells[i]].green;
      bl += stats[cells[i]].blue;
    }
    const uint64_t n = boxes[b].pixels;
    table[b] = Quad(int(r / n), int(g / n), int(bl / n));
  }
  // Each occupied cell takes the table entry nearest to its mean colour.
  for (int i = 0; i < occupied; ++i) {
    const Cell& cell = stats[cells[i]];
    const int r = int(cell.red / cell.pixels), g = int(cell.green / cell.pixels),
              bl = int(cell.blue / cell.pixels);
    int best = 0, bestDistance = 1 << 30;
    for (int e = 0; e < count; ++e) {
      const int dr = r - table[e].red, dg = g - table[e].green, db = bl - table[e].blue;
      const int distance = dr * dr + dg * dg + db * db;
      if (distance < bestDistance) {
        bestDistance = distance;
        best = e;
      }
    }
    lookup[cells[i]] = uint8_t(best);
  }
  region.ForEach([&](const uint8_t* bgr, uint8_t* out) { *out = lookup[CellOf(bgr)]; });
  WriteTable(region.destination, table, count);
  return status::kOk;
}

}  // namespace

int ReduceTo256Colours(ImageDesc& source, ImageDesc& destination) {
  int rc = pixel::ValidateConversion(source, 24, destination, 8);
  if (rc != status::kOk) return rc;
  if (destination.palette == nullptr || destination.colours <= 0) return status::kRange;
  const int limit = std::min(destination.colours, kMaxColours);
  int w = 0, h = 0;
  RectExtent(source, destination, w, h);
  const Region region{source, destination, w, h};
  if (ReduceExact(region, limit)) return status::kOk;
  return ReduceMedianCut(region, limit);
}

}  // namespace veska
