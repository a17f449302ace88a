// The GUI tests run on Qt's offscreen platform unless told otherwise.
#include <gtest/gtest.h>

#include <QApplication>

#include "image/aimage.h"
#include "image/image_file.h"
#include "tests/gui/gui_support.h"
#include "tools/sample_images.h"

namespace veska::testgui {

void WriteSampleImage(const QString& path, int bits, int width, int height) {
  auto image = MakeImage(width, height, bits, [bits](int x, int y) {
    const uint32_t level = uint32_t(40 + 2 * x + y + int(8 * Noise(x, y)));
    return bits == 8 ? level : Rgb(level, 255 - level, (level * 3) & 255);
  });
  ASSERT_NE(image, nullptr);
  ASSERT_EQ(Save(*image, path.toStdString()), 0) << path.toStdString();
}

}  // namespace veska::testgui

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
