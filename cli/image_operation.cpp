#include "cli/image_operation.h"

#include "cli/arguments.h"
#include "cli/image_io.h"
#include "image/aimage.h"

namespace veska::cli {

int RunImageOperation(const Command& command, const Arguments& args,
                      const std::function<bool(AImage&)>& operation) {
  AImage image;
  if (int exitCode = LoadFirstOperand(command, args, image)) return exitCode;
  if (!operation(image)) return kExitFailure;
  return SaveOutput(image, args.Operands()[1]);
}

}  // namespace veska::cli
