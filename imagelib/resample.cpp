#include "imagelib/resample.h"

#include <new>

#include "imagelib/image_ops.h"
#include "imagelib/status.h"

namespace veska {
namespace {

template <typename T>
std::unique_ptr<T[]> NewArray(int count) {
  return std::unique_ptr<T[]>(new (std::nothrow) T[size_t(count)]);
}

}  // namespace

ResampleMethod ChooseResampleMethod(int method, int sourceWidth, int sourceHeight,
                                    int destinationWidth, int destinationHeight) {
  if (method != kResizeInterpolate) return ResampleMethod::kReplicate;
  if (ResampleStep(sourceWidth, destinationWidth) <= kResampleOne ||
      ResampleStep(sourceHeight, destinationHeight) <= kResampleOne)
    return ResampleMethod::kBilinear;
  return ResampleMethod::kBlockAverage;
}

bool BuildAxisMap(ResampleMethod method, int sourceSize, int destinationSize, AxisMap& map) {
  map.first = NewArray<int>(destinationSize);
  if (!map.first) return false;
  const uint64_t src = uint64_t(sourceSize);
  const uint64_t dst = uint64_t(destinationSize);
  if (method == ResampleMethod::kReplicate) {
    for (uint64_t d = 0; d < dst; ++d) map.first[d] = int(d * src / dst);
    return true;
  }
  map.second = NewArray<int>(destinationSize);
  if (!map.second) return false;
  if (method == ResampleMethod::kBlockAverage) {
    // Both axes shrink, so every block holds at least one sample.
    for (uint64_t d = 0; d < dst; ++d) {
      map.first[d] = int(d * src / dst);
      map.second[d] = int((d + 1) * src / dst);
    }
    return true;
  }
  map.fraction = NewArray<uint32_t>(destinationSize);
  if (!map.fraction) return false;
  const uint64_t step = ResampleStep(sourceSize, destinationSize);
  const int last = sourceSize - 1;
  for (uint64_t d = 0; d < dst; ++d) {
    const uint64_t position = d * step;
    const int index = int(position >> 15);
    map.first[d] = index;
    map.second[d] = index < last ? index + 1 : last;
    map.fraction[d] = uint32_t(position & (kResampleOne - 1));
  }
  return true;
}

int ResamplePlane16(const uint16_t* source, int sourceWidth, int sourceHeight,
                    uint16_t* destination, int destinationWidth, int destinationHeight,
                    int method) {
  if (source == nullptr || destination == nullptr || sourceWidth <= 0 || sourceHeight <= 0 ||
      destinationWidth <= 0 || destinationHeight <= 0)
    return status::kRange;
  Resampler resampler;
  const ResampleMethod chosen = ChooseResampleMethod(method, sourceWidth, sourceHeight,
                                                     destinationWidth, destinationHeight);
  if (!resampler.Prepare(chosen, sourceWidth, sourceHeight, destinationWidth, destinationHeight))
    return status::kNoMemory;
  const StridedGrid<const uint16_t> in{source, sourceWidth, 1, sourceWidth, sourceHeight};
  const StridedGrid<uint16_t> out{destination, destinationWidth, 1, destinationWidth,
                                  destinationHeight};
  resampler.Run(in, out);
  return status::kOk;
}

}  // namespace veska
