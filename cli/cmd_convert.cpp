// veska convert INPUT OUTPUT: loads an image and saves it in the format of the
// output name's extension.
#include "cli/arguments.h"
#include "cli/command.h"
#include "cli/common_options.h"
#include "cli/image_io.h"
#include "image/aimage.h"

namespace veska::cli {
namespace {

constexpr OptionSpec kOptions[] = {kBifSizeOption};

int RunConvert(const Command& command, const Arguments& args) {
  AImage image;
  int exitCode = LoadFirstOperand(command, args, image);
  return exitCode != kExitOk ? exitCode : SaveOutput(image, args.Operands()[1]);
}

}  // namespace

extern const Command kConvertCommand = {
    "convert",
    "INPUT OUTPUT",
    2,
    "Load an image and save it in the format of OUTPUT's extension",
    "Formats by extension: .jpg (.jpeg .jpe) .tif (.tiff) .png .bmp .pcx .bif .asc\n"
    "(upper case allowed). Transparency is flattened onto white; a 16-bit grey image\n"
    "saves as 16-bit to .tif and .png.\n",
    kOptions,
    RunConvert,
};

}  // namespace veska::cli
