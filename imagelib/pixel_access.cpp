#include "imagelib/pixel_access.h"

#include "imagelib/status.h"

namespace veska {
namespace pixel {
namespace {

int ValidatePair(int (*validate)(ImageDesc&), ImageDesc& source, ImageDesc& destination) {
  int rc = validate(source);
  if (rc != status::kOk) return rc;
  rc = validate(destination);
  if (rc != status::kOk) return rc;
  return source.BitsPerPixel() == destination.BitsPerPixel() ? status::kOk
                                                             : status::kBitsPerPixel;
}

}  // namespace

int ValidatePair1_8_24(ImageDesc& source, ImageDesc& destination) {
  return ValidatePair(Validate1_8_24, source, destination);
}

int ValidatePair8_24(ImageDesc& source, ImageDesc& destination) {
  return ValidatePair(Validate8_24, source, destination);
}

int ValidateConversion(ImageDesc& source, int sourceBits, ImageDesc& destination,
                       int destinationBits) {
  int rc = Validate8_24(source);
  if (rc == status::kOk) rc = Validate8_24(destination);
  if (rc != status::kOk) return rc;
  return source.BitsPerPixel() == sourceBits && destination.BitsPerPixel() == destinationBits
             ? status::kOk
             : status::kBitsPerPixel;
}

}  // namespace pixel
}  // namespace veska
