// The command table: every command of the program in one place, with its
// menu text, shortcuts, status-bar prompt and tool tip, icon, enabling rule
// and handler. The menus and the tool bar only list command ids; the main
// window makes one QAction per row and re-evaluates every rule whenever the
// state it reads changes.
#pragma once

#include <span>

namespace veska::app {

class CMainFrame;

// Command ids (the numbers are the resource ids the commands have always had).
enum class CommandId : int {
  kNew = 57600, kOpen = 57601, kClose = 57602, kSave = 57603, kSaveAs = 57604,
  kPrintSetup = 57606, kPrint = 57607, kExit = 57665, kBatch = 32803,
  kCopy = 57634, kCut = 57635, kPaste = 57637, kSelectAll = 57642, kUndo = 57643,
  kToolbar = 59392, kStatusBar = 59393,
  kZoomCustom = 32804, kZoomIn = 32777, kZoomOut = 32778, kZoomSelection = 32786,
  kZoomFit = 32795, kZoomReset = 32796, kSynchronize = 32806,
  kRotate90 = 32790, kRotate180 = 32791, kRotate270 = 32792,
  kFlipLeftRight = 32793, kFlipUpDown = 32794,
  kMix = 32802, kResize = 32815, kMultiLuminance = 32822, kSingleLuminance = 32823,
  kProcess = 32781, kPreview = 32787, kOptions = 32805,
  kArrangeIcons = 57649, kCascade = 57650, kTileHorizontal = 57651, kTileVertical = 57652,
  kCloseAll = 32816, kWindowInfo = 32798, kAbout = 57664,
  kNextPane = 57680, kPreviousPane = 57681,
};

// What the enabling rules read.
struct CommandState {
  bool documentActive = false;     // a document window is active
  bool imageLoaded = false;        // the active document's image is loaded
  bool hasPixels = false;          // ... and has pixel data
  bool grayscale = false;          // ... and is grayscale
  bool multiChannel = false;       // ... and its store holds one plane per colour
  bool hasSelection = false;       // the active view has a selection
  bool zoomIs100 = true;           // the active view shows 100 percent
  bool clipboardHasImage = false;  // the clipboard holds an image
  bool firstTwoLoaded = false;     // the first two documents both hold a loaded image
  bool childExists = false;        // at least one document window exists
};

struct Command {
  CommandId id;
  // Menu text with its mnemonic; text after a tab is shown in the shortcut
  // column only (a key the program does not bind).
  const char* text;
  // Shortcuts, "|" between several, in QKeySequence's portable form.
  const char* keys;
  // Status-bar prompt, then after "\n" the tool tip (optional).
  const char* prompt;
  const char* icon;  // resource path, or nullptr
  bool (*enabled)(const CommandState&);
  void (CMainFrame::*handler)();  // nullptr: the command does nothing
  bool checkable = false;
};

std::span<const Command> Commands();
const Command& CommandFor(CommandId id);

// A menu or the tool bar as a list of ids; kSeparator between groups,
// kRecentFiles where the recent-file entries go, kSubmenu opens a nested
// menu titled by the entry's text and kEndSubmenu closes it.
enum class MenuItemKind { kCommand, kSeparator, kRecentFiles, kSubmenu, kEndSubmenu, kMenu };
struct MenuItem {
  MenuItemKind kind;
  CommandId id = CommandId::kNew;
  const char* text = nullptr;  // kMenu and kSubmenu
};

// The menu bar while no document window is open, and while one is.
std::span<const MenuItem> EmptyMenuBar();
std::span<const MenuItem> DocumentMenuBar();
// The tool bar, left to right.
std::span<const MenuItem> ToolBarItems();

}  // namespace veska::app
