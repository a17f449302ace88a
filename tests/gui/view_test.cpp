// The image window: the window-to-image arithmetic value by value, the zoom
// commands and their limits, dragging and Select All, Synchronize, the
// status panes, the clipboard, printing, pixel values and rotation.
#include <QClipboard>
#include <QFileInfo>
#include <QMdiArea>
#include <QMimeData>
#include <QPicture>
#include <QPrinter>
#include <QRegularExpression>
#include <QScrollBar>
#include <tuple>

#include "app/child_frame.h"
#include "app/gui_thread.h"
#include "app/veska_view.h"
#include "image/aimage.h"
#include "image/image_file.h"
#include "imagelib/status.h"
#include "tests/gui/gui_support.h"
#include "tools/sample_images.h"

namespace veska {

inline bool operator==(const PixelRect& a, const PixelRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline void PrintTo(const PixelRect& r, std::ostream* out) {
  *out << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")";
}

}  // namespace veska

namespace veska::testgui {
namespace {

using app::CommandId;
using app::CVeskaView;

TEST(ViewArithmetic, WindowRectanglesBecomeImageRectanglesByTheWrittenFormulas) {
  using app::WindowToImage;
  EXPECT_EQ(WindowToImage({10, 20, 100, 150}, 37, 1000, 1000), (PixelRect{27, 54, 272, 407}));
  EXPECT_EQ(WindowToImage({33, 7, 149, 58}, 37, 1000, 1000), (PixelRect{89, 18, 404, 158}));
  EXPECT_EQ(WindowToImage({10, 20, 100, 150}, 300, 1000, 1000), (PixelRect{3, 6, 34, 50}));
  EXPECT_EQ(WindowToImage({33, 7, 149, 58}, 300, 1000, 1000), (PixelRect{11, 2, 50, 20}));
  // Right and bottom are lowered to the last column and row.
  EXPECT_EQ(WindowToImage({10, 20, 100, 150}, 37, 200, 300), (PixelRect{27, 54, 199, 299}));
  // The painted image rectangle covers the exposed window rectangle.
  EXPECT_EQ(app::CoveringImageRect({0, 0, 100, 50}, 5, 3, 37), (PixelRect{13, 8, 286, 145}));
}

TEST(ViewArithmetic, StatusPaneTextsForSingleMultipleAndZeroRecords) {
  app::ImageStatus single;
  single.minimum[0] = 3;
  single.maximum[0] = 250;
  single.big[0] = 17;
  single.width = 640;
  single.height = 480;
  single.zoom = 37;
  EXPECT_EQ(app::StatusPaneTexts(single),
            (QStringList{"Lum: Single", "Min: 3", "Max: 250", "Small: n/a", "Big: 17",
                         "Width: 640", "Height: 480", "Zoom%: 37"}));
  app::ImageStatus multi = single;
  multi.multiChannel = true;
  multi.minimum[1] = 12;
  multi.minimum[2] = 100;
  multi.maximum[1] = multi.maximum[2] = 255;
  multi.small[0] = multi.small[2] = 5;
  multi.big[1] = multi.big[2] = 1001;
  EXPECT_EQ(app::StatusPaneTexts(multi).mid(1, 4),
            (QStringList{"Min: [  3, 12,100]", "Max: [250,255,255]", "Small: [  5,n/a,  5]",
                         "Big: [ 17,1001,1001]"}));
  EXPECT_EQ(app::StatusPaneTexts({}),
            (QStringList{"Lum: Single", "Min: 0", "Max: 0", "Small: n/a", "Big: n/a", "Width: 0",
                         "Height: 0", "Zoom%: 0"}));
  app::ImageStatus negative;
  negative.width = -1;
  EXPECT_EQ(app::StatusPaneTexts(negative)[5], "Width: ");
}

TEST(ViewArithmetic, PrintsAtPhysicalSizeAndFitsBothWays) {
  // The size drawn is read back from a recording paint device.
  auto drawnInches = [](const AImage& image, const QRect& printable, bool fit) {
    QPicture page;
    const int status = app::PrintImage(image, page, printable, fit);
    const QRect drawn = page.boundingRect();
    return std::tuple{status, drawn.width() / double(page.logicalDpiX()),
                      drawn.height() / double(page.logicalDpiY())};
  };
  const double dpi = QPicture().logicalDpiX();
  auto wide = MakeImage(3000, 1500, 8, [](int x, int) { return uint32_t(x & 255); });
  wide->SetResolution(300);
  auto [status, width, height] =
      drawnInches(*wide, QRect(0, 0, int(11 * dpi), int(10 * dpi)), false);
  EXPECT_EQ(status, 0);
  EXPECT_NEAR(width, 10, 0.02);
  EXPECT_NEAR(height, 5, 0.02);
  const QRect letter(0, 0, int(8 * dpi), int(10.5 * dpi));
  EXPECT_EQ(std::get<0>(drawnInches(*wide, letter, false)), status::kTooLargeToPrint);
  std::tie(status, width, height) = drawnInches(*wide, letter, true);
  EXPECT_NEAR(width, 8, 0.02);
  EXPECT_NEAR(height, 4, 0.02);
  // Taller than the page: the height decides.
  auto tall = MakeImage(1500, 6000, 8, [](int, int y) { return uint32_t(y & 255); });
  tall->SetResolution(300);
  std::tie(status, width, height) = drawnInches(*tall, letter, true);
  EXPECT_EQ(status, 0);
  EXPECT_NEAR(height, 10.5, 0.02);
  EXPECT_NEAR(width, 2.625, 0.02);
}

class ViewTest : public GuiTest {
 protected:
  void TearDown() override {
    CVeskaView::SetSynchronized(false);
    GuiTest::TearDown();
  }
  // Writes a width x height image (8-bit grey of `pixel`, or 24-bit) and
  // opens it; returns its view.
  CVeskaView* Open(const QString& name, int width, int height, int bits = 24,
                   const PixelFunction& pixel = nullptr) {
    PixelFunction fill = pixel ? pixel : [bits](int x, int y) {
      return bits == 8 ? uint32_t((x + y) & 255) : Rgb(x & 255, 100 + (y & 63), 7);
    };
    auto image = MakeImage(width, height, bits, fill);
    EXPECT_EQ(Save(*image, Path(name).toStdString()), 0);
    if (OpenThroughMenu(Path(name)) == nullptr) return nullptr;
    return window_->ActiveView();
  }
  void Drag(CVeskaView* view, QPoint from, QPoint to) {
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(view->viewport(), to);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, to);
  }
  // One luminance plane per colour, as the luminance command makes them.
  static void MakeMultiChannel(CVeskaView* view) {
    ASSERT_EQ(view->Document().Channels().SetMultiChannel(), 0);
    view->RefreshStatus();
  }
  QString Pane(int index) const { return window_->Pane(index)->text(); }
};

TEST_F(ViewTest, ZoomStepsClampAndZoomResetIsDisabledAtExactlyOneHundred) {
  CVeskaView* view = Open("zoom.png", 120, 90);
  ASSERT_NE(view, nullptr);
  QAction* reset = window_->Action(CommandId::kZoomReset);
  EXPECT_FALSE(reset->isEnabled());
  Trigger(CommandId::kZoomIn);
  EXPECT_EQ(view->Zoom(), 110);
  EXPECT_TRUE(reset->isEnabled());
  EXPECT_EQ(Pane(8), "Zoom%: 110");
  Trigger(CommandId::kZoomReset);
  EXPECT_EQ(view->Zoom(), 100);
  EXPECT_FALSE(reset->isEnabled());
  view->SetZoom(10);
  Trigger(CommandId::kZoomOut);
  EXPECT_EQ(view->Zoom(), 1);
  view->SetZoom(2995);
  Trigger(CommandId::kZoomIn);
  EXPECT_EQ(view->Zoom(), 3000);
  EXPECT_EQ(view->horizontalScrollBar()->maximum(),
            120 * 30 - view->viewport()->width());
}

TEST_F(ViewTest, DragsClicksEscapeAndTheClickThatActivates) {
  CVeskaView* view = Open("drag.png", 300, 260);
  ASSERT_NE(view, nullptr);
  Drag(view, {10, 10}, {25, 25});  // a click
  EXPECT_FALSE(view->HasSelection());
  Drag(view, {10, 10}, {40, 210});  // grows to 50 x 50 from its corner
  EXPECT_EQ(view->ImageSelection(), (PixelRect{10, 10, 60, 60}));
  EXPECT_TRUE(window_->Action(CommandId::kCopy)->isEnabled());
  Drag(view, {100, 100}, {20, 30});  // drawn backwards
  EXPECT_EQ(view->ImageSelection(), (PixelRect{20, 30, 100, 100}));
  // Escape during a drag cancels it and the selection.
  QTest::mousePress(view->viewport(), Qt::LeftButton, {}, {5, 5});
  QTest::keyClick(view, Qt::Key_Escape);
  QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, {200, 200});
  EXPECT_FALSE(view->HasSelection());
  EXPECT_FALSE(window_->Action(CommandId::kCopy)->isEnabled());
  // The press that reactivates the window selects nothing; the next does.
  view->Deactivated();
  Drag(view, {10, 10}, {200, 200});
  EXPECT_FALSE(view->HasSelection());
  Drag(view, {10, 10}, {200, 200});
  EXPECT_EQ(view->ImageSelection(), (PixelRect{10, 10, 200, 200}));
  // At 200 percent the window rectangle halves.
  view->SetZoom(200);
  EXPECT_FALSE(view->HasSelection());
  Drag(view, {2, 2}, {402, 302});
  EXPECT_EQ(view->ImageSelection(), (PixelRect{1, 1, 201, 151}));
}

TEST_F(ViewTest, SelectAllNeedsFiftyOneByFiftyOne) {
  // (Images narrower than 50 pixels do not open at all.)
  for (auto [width, height, selects] : {std::tuple{50, 400, false}, std::tuple{50, 50, false},
                                        std::tuple{51, 51, true}}) {
    CVeskaView* view = Open(QString("all%1x%2.png").arg(width).arg(height), width, height);
    ASSERT_NE(view, nullptr);
    Trigger(CommandId::kSelectAll);
    EXPECT_EQ(view->HasSelection(), selects) << width << "x" << height;
    if (selects) {
      EXPECT_EQ(view->ImageSelection(), (PixelRect{0, 0, 50, 50}));
    }
  }
}

TEST_F(ViewTest, ZoomSelectionFillsWhatTheImageFilledAtAnyZoom) {
  CVeskaView* view = Open("zsel.png", 400, 400);
  ASSERT_NE(view, nullptr);
  // (QTest takes the point (0, 0) for the widget's centre.)
  Drag(view, {1, 1}, {101, 201});  // a quarter wide, a half high
  ASSERT_EQ(view->ImageSelection(), (PixelRect{1, 1, 101, 201}));
  Trigger(CommandId::kZoomSelection);
  EXPECT_EQ(view->Zoom(), 200);
  EXPECT_FALSE(view->HasSelection());
  // At 200 percent (scrolled to (2, 2)) a selection half the image wide
  // zooms in to 400.
  Drag(view, {2, 2}, {402, 302});
  ASSERT_EQ(view->ImageSelection(), (PixelRect{2, 2, 202, 152}));
  Trigger(CommandId::kZoomSelection);
  EXPECT_EQ(view->Zoom(), 400);
}

TEST_F(ViewTest, SynchronizeSharesZoomAndScrollAcrossWindowsAndOffLeavesThemAlone) {
  std::vector<CVeskaView*> views;
  for (const char* name : {"a.png", "b.png", "c.png"}) views.push_back(Open(name, 900, 700));
  for (CVeskaView* view : views) ASSERT_NE(view, nullptr);
  views[0]->SelectAll();
  ASSERT_TRUE(views[0]->HasSelection());
  Trigger(CommandId::kSynchronize);
  EXPECT_TRUE(CVeskaView::Synchronized());
  EXPECT_TRUE(window_->Action(CommandId::kSynchronize)->isChecked());
  Trigger(CommandId::kZoomIn);  // the third window is active
  for (CVeskaView* view : views) EXPECT_EQ(view->Zoom(), 110);
  EXPECT_FALSE(views[0]->HasSelection());
  views[2]->horizontalScrollBar()->setValue(130);
  views[2]->verticalScrollBar()->setValue(70);
  for (CVeskaView* view : views) {
    EXPECT_EQ(view->horizontalScrollBar()->value(), 130);
    EXPECT_EQ(view->verticalScrollBar()->value(), 70);
  }
  Trigger(CommandId::kSynchronize);
  EXPECT_FALSE(CVeskaView::Synchronized());
  Trigger(CommandId::kZoomIn);
  EXPECT_EQ(views[2]->Zoom(), 120);
  EXPECT_EQ(views[0]->Zoom(), 110);
  views[2]->horizontalScrollBar()->setValue(10);
  EXPECT_EQ(views[0]->horizontalScrollBar()->value(), 130);
}

TEST_F(ViewTest, StatusPanesForGreyAndMultiChannelImagesAndAfterDeactivation) {
  CVeskaView* grey = Open("grey.png", 60, 52, 8, [](int x, int) { return uint32_t(10 + x); });
  ASSERT_NE(grey, nullptr);
  EXPECT_EQ(Pane(0), "Done");
  QStringList panes;
  for (int i = 1; i <= 8; ++i) panes << Pane(i);
  EXPECT_EQ(panes, (QStringList{"Lum: Single", "Min: 10", "Max: 69", "Small: n/a", "Big: n/a",
                                "Width: 60", "Height: 52", "Zoom%: 100"}));
  CVeskaView* colour =
      Open("colour.png", 60, 52, 24, [](int x, int y) { return Rgb(x, 100 + y, 7); });
  ASSERT_NE(colour, nullptr);
  EXPECT_EQ(Pane(1), "Lum: Single");
  MakeMultiChannel(colour);
  EXPECT_EQ(Pane(1), "Lum: Multiple");
  EXPECT_EQ(Pane(2), "Min: [  0,100,  7]");
  EXPECT_EQ(Pane(3), "Max: [ 59,151,  7]");
  EXPECT_EQ(Pane(4), "Small: [n/a,n/a,n/a]");
  // Every pane shows its text whole in this desktop's font.
  for (int i = 1; i <= 8; ++i) {
    const QLabel* pane = window_->Pane(i);
    EXPECT_LE(pane->fontMetrics().horizontalAdvance(pane->text()), pane->contentsRect().width())
        << pane->text().toStdString();
  }
  window_->MdiArea()->setActiveSubWindow(nullptr);
  EXPECT_EQ(Pane(1), "Lum: Single");
  EXPECT_EQ(Pane(4), "Small: n/a");
  EXPECT_EQ(Pane(5), "Big: n/a");
  EXPECT_EQ(Pane(8), "Zoom%: 0");
}

TEST_F(ViewTest, RightClickShowsTheValuesUnderThePointer) {
  CVeskaView* grey = Open("v8.png", 60, 52, 8, [](int x, int y) { return uint32_t(x + 2 * y); });
  ASSERT_NE(grey, nullptr);
  grey->SetZoom(200);
  QTest::mouseClick(grey->viewport(), Qt::RightButton, {}, {11, 15});
  EXPECT_EQ(prompter_.TakeTexts(), "row:7, col:5\nvalue: 19");
  QTest::mouseClick(grey->viewport(), Qt::RightButton, {}, {130, 15});  // beyond the image
  EXPECT_EQ(prompter_.TakeTexts(), "");
  CVeskaView* colour =
      Open("v24.png", 60, 52, 24, [](int x, int y) { return Rgb(x, 100 + y, 7); });
  ASSERT_NE(colour, nullptr);
  QTest::mouseClick(colour->viewport(), Qt::RightButton, {}, {5, 7});
  EXPECT_TRUE(prompter_.TakeTexts().contains(QRegularExpression("^row:7, col:5\nvalue: \\d+$")));
  MakeMultiChannel(colour);
  QTest::mouseClick(colour->viewport(), Qt::RightButton, {}, {5, 7});
  EXPECT_EQ(prompter_.TakeTexts(), "row:7, col:5\nvalue: 5, 107, 7");
}

TEST_F(ViewTest, RotatingClearsTheSelectionAndFitsTheFrameToTheTurnedImage) {
  CVeskaView* view = Open("turn.png", 160, 80);
  ASSERT_NE(view, nullptr);
  QMdiSubWindow* frame = window_->FrameOf(&view->Document());
  const QSize before = frame->size();
  Trigger(CommandId::kSelectAll);
  ASSERT_TRUE(view->HasSelection());
  Trigger(CommandId::kRotate90);
  EXPECT_FALSE(view->HasSelection());
  EXPECT_EQ(frame->size(), before + QSize(-80, 80));
}

TEST_F(ViewTest, PaintReplicatesPixelsUprightWithTheirColoursAndWhiteBeyond) {
  auto colourAt = [](int x, int y) { return Rgb(uint32_t(x * 2), uint32_t(y * 3), 77); };
  CVeskaView* view = Open("paint.png", 120, 80, 24, colourAt);
  ASSERT_NE(view, nullptr);
  view->SetZoom(300);
  view->horizontalScrollBar()->setValue(31);
  view->verticalScrollBar()->setValue(17);
  const int sx = view->horizontalScrollBar()->value();
  const int sy = view->verticalScrollBar()->value();
  ASSERT_EQ(std::pair(sx, sy), std::pair(31, 17));
  QImage shown(view->viewport()->size(), QImage::Format_RGB32);
  view->viewport()->render(&shown);
  for (auto [x, y] : {std::pair{11, 6}, std::pair{40, 9}, std::pair{25, 30}}) {
    for (auto [dx, dy] : {std::pair{0, 0}, std::pair{2, 2}}) {  // every copy of the pixel
      const QRgb got = shown.pixel(3 * x - sx + dx, 3 * y - sy + dy);
      EXPECT_EQ(got, qRgb(x * 2, y * 3, 77)) << x << "," << y;
    }
  }
  // Beyond the image: white.
  view->SetZoom(50);
  view->viewport()->render(&shown);
  EXPECT_EQ(shown.pixel(61, 41), qRgb(255, 255, 255));
  EXPECT_NE(shown.pixel(58, 38), qRgb(255, 255, 255));
}

TEST_F(ViewTest, ScrollingPaintsOnlyTheExposedStrip) {
  CVeskaView* view = Open("big.png", 2000, 1500, 8);
  ASSERT_NE(view, nullptr);
  QApplication::processEvents();
  const qint64 before = view->PaintedArea();
  view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->value() + 100);
  QApplication::processEvents();
  EXPECT_EQ(view->PaintedArea() - before, 100 * view->viewport()->height());
}

TEST_F(ViewTest, NothingIsDrawnFromPixelsAWorkerIsChanging) {
  CVeskaView* view = Open("busy.png", 100, 80);
  ASSERT_NE(view, nullptr);
  QApplication::processEvents();
  const qint64 before = view->PaintedArea();
  qint64 during = -1;
  view->Document().RunOnImage([&] {
    app::OnGuiThread([&] {
      view->viewport()->repaint();
      during = view->PaintedArea();
    });
    return 0;
  });
  EXPECT_EQ(during, before);
  QApplication::processEvents();
  EXPECT_GT(view->PaintedArea(), before) << "the window repaints once the pixels are free";
}

TEST_F(ViewTest, CopyAndPasteKeepPixelsResolutionAndLuminanceMode) {
  CVeskaView* grey = Open("g.png", 70, 60, 8, [](int x, int y) { return uint32_t(x * 3 + y); });
  ASSERT_NE(grey, nullptr);
  grey->Document().Image().SetResolution(150);
  Trigger(CommandId::kSelectAll);
  Trigger(CommandId::kCopy);
  EXPECT_FALSE(grey->HasSelection());
  EXPECT_EQ(Pane(0), "Image selection copied to clipboard.");
  const QMimeData* data = QApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  EXPECT_TRUE(data->hasImage());  // for other programs
  Trigger(CommandId::kPaste);
  EXPECT_EQ(Pane(0), "Image pasted from clipboard.");
  const ImageDesc* pasted = grey->Document().Image().Desc();
  ASSERT_NE(pasted, nullptr);
  EXPECT_EQ(pasted->BitsPerPixel(), 8);
  EXPECT_NEAR(grey->Document().Image().Dpi(), 150, 0.5);
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 70; ++x) ASSERT_EQ(pasted->Row(y)[x], uint8_t(x * 3 + y)) << x << "," << y;
  EXPECT_TRUE(grey->Document().IsModified());

  // A multi-channel copy makes the window it is pasted into multi-channel.
  CVeskaView* source = Open("m.png", 80, 70);
  CVeskaView* target = Open("t.png", 90, 90);
  ASSERT_NE(source, nullptr);
  ASSERT_NE(target, nullptr);
  window_->MdiArea()->setActiveSubWindow(window_->FrameOf(&source->Document()));
  MakeMultiChannel(source);
  Trigger(CommandId::kSelectAll);
  Trigger(CommandId::kCopy);
  window_->MdiArea()->setActiveSubWindow(window_->FrameOf(&target->Document()));
  ASSERT_FALSE(target->Document().Channels().MultiChannel());
  Trigger(CommandId::kPaste);
  EXPECT_TRUE(target->Document().Channels().MultiChannel());
  EXPECT_EQ(target->Document().Image().Width(), 80);

  // Another program's plain image: the mode stays as it was.
  QImage plain(30, 20, QImage::Format_RGB32);
  plain.fill(qRgb(200, 10, 60));
  QApplication::clipboard()->setImage(plain);
  Trigger(CommandId::kPaste);
  EXPECT_TRUE(target->Document().Channels().MultiChannel());
  EXPECT_EQ(target->Document().Image().Desc()->BitsPerPixel(), 24);
  EXPECT_EQ(target->Document().Image().Width(), 30);
}

TEST_F(ViewTest, AFailedPasteLeavesTheDocumentAsItWas) {
  CVeskaView* view = Open("keep.png", 64, 64);
  ASSERT_NE(view, nullptr);
  QApplication::clipboard()->setText("no picture");
  view->Paste();
  EXPECT_EQ(prompter_.TakeTexts(), "Failed to get clipboard data!");
  EXPECT_FALSE(view->Document().IsModified());
  // A damaged bitmap: reported, and the image stays.
  auto* data = new QMimeData;
  data->setData(app::kDibMime, QByteArray(16, '\x01'));
  QApplication::clipboard()->setMimeData(data);
  view->Paste();
  EXPECT_FALSE(prompter_.TakeTexts().isEmpty());
  EXPECT_FALSE(view->Document().IsModified());
  ASSERT_NE(view->Document().Image().Desc(), nullptr);
  EXPECT_EQ(view->Document().Image().Width(), 64);
}

TEST_F(ViewTest, PrintingToAPdfAsksToFitAnOversizedImage) {
  CVeskaView* view = Open("print.png", 3000, 1500, 8);
  ASSERT_NE(view, nullptr);
  view->Document().Image().SetResolution(300);
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(Path("out.pdf"));
  printer.setPageSize(QPageSize(QPageSize::Letter));
  printer.setPageMargins(QMarginsF(0.25, 0.25, 0.25, 0.25), QPageLayout::Inch);
  prompter_.answers.push_back(QMessageBox::No);
  view->PrintOn(printer);
  ASSERT_EQ(prompter_.questions.size(), 2u);  // the fit question, then the error
  EXPECT_EQ(prompter_.questions[0].caption, "Veska Pro");
  EXPECT_EQ(prompter_.questions[0].text,
            "The image is larger than the available printable area.\n"
            "Do you want to automatically fit the image to the printable area?");
  EXPECT_EQ(prompter_.questions[1].caption, "Error");
  prompter_.questions.clear();
  prompter_.answers.push_back(QMessageBox::Yes);
  view->PrintOn(printer);
  EXPECT_EQ(prompter_.questions.size(), 1u);
  EXPECT_GT(QFileInfo(Path("out.pdf")).size(), 1000);
}

}  // namespace
}  // namespace veska::testgui
