#include "app/commands.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

#include "app/main_frame.h"

namespace veska::app {
namespace {

using S = CommandState;
using M = CMainFrame;

bool Always(const S&) { return true; }
bool Never(const S&) { return false; }
bool DocumentActive(const S& s) { return s.documentActive; }
bool Loaded(const S& s) { return s.documentActive && s.imageLoaded; }
bool HasSelection(const S& s) { return s.documentActive && s.hasSelection; }
bool HasPixels(const S& s) { return s.documentActive && s.hasPixels; }
bool LoadedWithSelection(const S& s) { return Loaded(s) && s.hasSelection; }
bool LoadedWithPixels(const S& s) { return Loaded(s) && s.hasPixels; }
bool LoadedAndZoomed(const S& s) { return Loaded(s) && !s.zoomIs100; }
bool ClipboardImage(const S& s) { return s.documentActive && s.clipboardHasImage; }
bool MixReady(const S& s) { return Loaded(s) && s.firstTwoLoaded; }
bool ChildExists(const S& s) { return s.childExists; }
bool CanGoMulti(const S& s) { return Loaded(s) && !s.multiChannel && !s.grayscale; }
bool CanGoSingle(const S& s) { return Loaded(s) && s.multiChannel && !s.grayscale; }

// Rows without a handler (Cut, Undo, the pane commands) are never enabled:
// their keys do nothing.
constexpr Command kCommands[] = {
    {CommandId::kNew, "&New", "Ctrl+N", "Create a new document\nNew", nullptr, Always, &M::OnNew},
    {CommandId::kOpen, "&Open...", "Ctrl+O", "Open an existing document\nOpen",
     ":/icons/file-open.svg", Always, &M::OnOpen},
    {CommandId::kBatch, "Batch...\tCtrl+B", "", "Start Batch Processing\nBatch processing",
     nullptr, Always, &M::OnBatch},
    {CommandId::kClose, "&Close", "", "Close the active document\nClose", nullptr,
     DocumentActive, &M::OnClose},
    {CommandId::kSave, "&Save", "Ctrl+S", "Save the active document\nSave",
     ":/icons/file-save.svg", Always, &M::OnSave},
    {CommandId::kSaveAs, "Save &As...", "", "Save the active document with a new name\nSave As",
     nullptr, Always, &M::OnSaveAs},
    {CommandId::kPrint, "&Print...", "Ctrl+P", "Print the active document\nPrint",
     ":/icons/file-print.svg", DocumentActive, &M::OnPrint},
    {CommandId::kPrintSetup, "P&rint Setup...", "",
     "Change the printer and printing options\nPrint Setup", nullptr, Always, &M::OnPrintSetup},
    {CommandId::kExit, "E&xit", "", "Quit the application; prompts to save documents\nExit",
     nullptr, Always, &M::OnExit},
    {CommandId::kCopy, "&Copy", "Ctrl+C|Ctrl+Ins",
     "Copy the selection and put it on the Clipboard\nCopy", nullptr, HasSelection, &M::OnCopy},
    {CommandId::kPaste, "&Paste", "Ctrl+V|Shift+Ins", "Insert Clipboard contents\nPaste",
     nullptr, ClipboardImage, &M::OnPaste},
    {CommandId::kSelectAll, "&Select All", "Ctrl+A", "Select the entire document\nSelect All",
     nullptr, HasPixels, &M::OnSelectAll},
    // Bound to keys only, and never enabled.
    {CommandId::kCut, "Cu&t", "Ctrl+X|Shift+Del",
     "Cut the selection and put it on the Clipboard\nCut", nullptr, Never, nullptr},
    // Bound to a key that has no handler: it does nothing.
    {CommandId::kUndo, "&Undo", "Alt+Backspace", "Undo the last action\nUndo", nullptr, Never,
     nullptr},
    {CommandId::kToolbar, "&Toolbar", "", "Show or hide the toolbar\nToggle ToolBar", nullptr,
     Always, &M::OnToggleToolBar, true},
    {CommandId::kStatusBar, "&Status Bar", "", "Show or hide the status bar\nToggle StatusBar",
     nullptr, Always, &M::OnToggleStatusBar, true},
    {CommandId::kZoomCustom, "Zoom &Custom...", "", "Zoom to a specified percentage", nullptr,
     Loaded, &M::OnZoomCustom},
    {CommandId::kZoomIn, "&Zoom In", "+|=|Num++", "Enlarges image in ten percent increments",
     ":/icons/zoom-in.svg", Loaded, &M::OnZoomIn},
    {CommandId::kZoomOut, "Z&oom Out", "-|_|Num+-", "Reduces image in ten percent increments",
     ":/icons/zoom-out.svg", Loaded, &M::OnZoomOut},
    {CommandId::kZoomSelection, "Zoo&m Selection", "", "Zooms in on selected area", nullptr,
     LoadedWithSelection, &M::OnZoomSelection},
    {CommandId::kZoomFit, "Zoom to Fit", "", "Zoom image to fill current window size",
     ":/icons/zoom-fit.svg", LoadedWithPixels, &M::OnZoomFit},
    {CommandId::kZoomReset, "Zoom Reset", "", "Set image back to 100% zoom",
     ":/icons/zoom-reset.svg", LoadedAndZoomed, &M::OnZoomReset},
    {CommandId::kSynchronize, "S&ynchronize", "",
     "Share zoom and scroll position between all image windows", nullptr, DocumentActive,
     &M::OnSynchronize, true},
    {CommandId::kRotate90, "90 Degrees", "", "Rotate the image a quarter turn clockwise",
     ":/icons/rotate-90.svg", Loaded, &M::OnRotate90},
    {CommandId::kRotate180, "180 Degrees", "", "Rotate the image a half turn",
     ":/icons/rotate-180.svg", Loaded, &M::OnRotate180},
    {CommandId::kRotate270, "270 Degrees", "",
     "Rotate the image a quarter turn counter-clockwise", ":/icons/rotate-270.svg", Loaded,
     &M::OnRotate270},
    {CommandId::kFlipUpDown, "Up - Down", "", "Flip the image upside down",
     ":/icons/flip-up-down.svg", Loaded, &M::OnFlipUpDown},
    {CommandId::kFlipLeftRight, "Left - Right", "", "Mirror the image left to right",
     ":/icons/flip-left-right.svg", Loaded, &M::OnFlipLeftRight},
    {CommandId::kMix, "&Mix", "", "Mix current image with another image",
     ":/icons/image-mix.svg", MixReady, &M::OnMix},
    {CommandId::kResize, "&Resize", "", "Resize current image", ":/icons/image-resize.svg",
     Loaded, &M::OnResize},
    {CommandId::kMultiLuminance, "Create &Multiple Luminance Channels", "",
     "Builds multiple luminance data channels.  One for each color channel.",
     ":/icons/luminance-multi.svg", CanGoMulti, &M::OnMultiLuminance},
    {CommandId::kSingleLuminance, "Create &Single Luminance Channel", "",
     "Builds a single luminance channel to represent a composite RGB image.",
     ":/icons/luminance-single.svg", CanGoSingle, &M::OnSingleLuminance},
    {CommandId::kPreview, "Veska &Preview...", "", "Preview Veska effects in separate window",
     ":/icons/veska-preview.svg", DocumentActive, &M::OnPreview},
    {CommandId::kProcess, "&Veska Process", "",
     "Apply Veska algorithm to the selected area of current image",
     ":/icons/veska-process.svg", DocumentActive, &M::OnProcess},
    {CommandId::kOptions, "&Options...", "", "Specify options for Veska processing\nVeska options",
     nullptr, Always, &M::OnOptions},
    {CommandId::kCascade, "&Cascade", "", "Arrange windows so they overlap\nCascade Windows",
     nullptr, ChildExists, &M::OnCascade},
    {CommandId::kTileHorizontal, "&Tile Horizontally", "",
     "Arrange windows as non-overlapping tiles\nTile Windows", nullptr, ChildExists,
     &M::OnTileHorizontally},
    {CommandId::kTileVertical, "Tile &Vertically", "",
     "Arrange windows as non-overlapping tiles\nTile Windows", nullptr, ChildExists,
     &M::OnTileVertically},
    {CommandId::kArrangeIcons, "&Arrange Icons", "",
     "Arrange icons at the bottom of the window\nArrange Icons", nullptr, ChildExists,
     &M::OnArrangeIcons},
    {CommandId::kCloseAll, "C&lose All", "", "Close all currently open files...\nClose All",
     nullptr, DocumentActive, &M::OnCloseAll},
    {CommandId::kWindowInfo, "&Open Window Info...", "",
     "Show information about currently open image files\nOpen Window Info", nullptr,
     DocumentActive, &M::OnWindowInfo},
    {CommandId::kAbout, "&About Veska Pro...", "",
     "Display program information, version number and copyright\nAbout", nullptr, Always,
     &M::OnAbout},
    // There are no panes to switch between.
    {CommandId::kNextPane, "Next Pane", "F6", "Switch to the next window pane\nNext Pane",
     nullptr, Never, nullptr},
    {CommandId::kPreviousPane, "Previous Pane", "Shift+F6",
     "Switch back to the previous window pane\nPrevious Pane", nullptr, Never, nullptr},
};

using K = MenuItemKind;
constexpr MenuItem Cmd(CommandId id) { return {K::kCommand, id}; }
constexpr MenuItem Menu(const char* text) { return {K::kMenu, CommandId::kNew, text}; }
constexpr MenuItem Sub(const char* text) { return {K::kSubmenu, CommandId::kNew, text}; }
constexpr MenuItem kSep{K::kSeparator};
constexpr MenuItem kRecent{K::kRecentFiles};
constexpr MenuItem kEnd{K::kEndSubmenu};

constexpr MenuItem kEmptyMenuBar[] = {
    Menu("&File"), Cmd(CommandId::kNew), Cmd(CommandId::kOpen), Cmd(CommandId::kBatch), kSep,
    Cmd(CommandId::kPrintSetup), kSep, kRecent, kSep, Cmd(CommandId::kExit),
    Menu("&View"), Cmd(CommandId::kToolbar), Cmd(CommandId::kStatusBar),
    Menu("&Effects"), Cmd(CommandId::kOptions),
    Menu("&Help"), Cmd(CommandId::kAbout),
};

constexpr MenuItem kDocumentMenuBar[] = {
    Menu("&File"), Cmd(CommandId::kNew), Cmd(CommandId::kOpen), Cmd(CommandId::kClose),
    Cmd(CommandId::kSave), Cmd(CommandId::kSaveAs), kSep, Cmd(CommandId::kPrint),
    Cmd(CommandId::kPrintSetup), kSep, kRecent, kSep, Cmd(CommandId::kExit),
    Menu("&Edit"), Cmd(CommandId::kCopy), Cmd(CommandId::kPaste), Cmd(CommandId::kSelectAll),
    Menu("&View"), Cmd(CommandId::kToolbar), Cmd(CommandId::kStatusBar), kSep,
    Cmd(CommandId::kZoomCustom), Cmd(CommandId::kZoomIn), Cmd(CommandId::kZoomOut),
    Cmd(CommandId::kZoomSelection), Cmd(CommandId::kZoomFit), Cmd(CommandId::kZoomReset), kSep,
    Cmd(CommandId::kSynchronize),
    Menu("Image"), Sub("&Orientation"), Sub("Rotate"), Cmd(CommandId::kRotate90),
    Cmd(CommandId::kRotate180), Cmd(CommandId::kRotate270), kEnd, Sub("Flip"),
    Cmd(CommandId::kFlipUpDown), Cmd(CommandId::kFlipLeftRight), kEnd, kEnd,
    Cmd(CommandId::kMix), Cmd(CommandId::kResize), kSep, Cmd(CommandId::kMultiLuminance),
    Cmd(CommandId::kSingleLuminance),
    Menu("Effects"), Cmd(CommandId::kPreview), Cmd(CommandId::kProcess), kSep,
    Cmd(CommandId::kOptions),
    Menu("&Window"), Cmd(CommandId::kCascade), Cmd(CommandId::kTileHorizontal),
    Cmd(CommandId::kTileVertical), Cmd(CommandId::kArrangeIcons), Cmd(CommandId::kCloseAll),
    Cmd(CommandId::kWindowInfo),
    Menu("&Help"), Cmd(CommandId::kAbout),
};

constexpr MenuItem kToolBar[] = {
    Cmd(CommandId::kOpen), Cmd(CommandId::kSave), Cmd(CommandId::kPrint), kSep,
    Cmd(CommandId::kProcess), Cmd(CommandId::kPreview), kSep,
    Cmd(CommandId::kSingleLuminance), Cmd(CommandId::kMultiLuminance), kSep,
    Cmd(CommandId::kResize), Cmd(CommandId::kMix), kSep,
    Cmd(CommandId::kRotate90), Cmd(CommandId::kRotate180), Cmd(CommandId::kRotate270),
    Cmd(CommandId::kFlipLeftRight), Cmd(CommandId::kFlipUpDown), kSep,
    Cmd(CommandId::kZoomIn), Cmd(CommandId::kZoomOut), Cmd(CommandId::kZoomReset),
    Cmd(CommandId::kZoomFit),
};

}  // namespace

std::span<const Command> Commands() { return kCommands; }

const Command& CommandFor(CommandId id) {
  const auto* found = std::find_if(std::begin(kCommands), std::end(kCommands),
                                   [id](const Command& command) { return command.id == id; });
  if (found == std::end(kCommands)) std::abort();  // every listed id has a row
  return *found;
}

std::span<const MenuItem> EmptyMenuBar() { return kEmptyMenuBar; }
std::span<const MenuItem> DocumentMenuBar() { return kDocumentMenuBar; }
std::span<const MenuItem> ToolBarItems() { return kToolBar; }

}  // namespace veska::app
