// The main window: the document windows in a QMdiArea, the menu bar (one set
// while no document window is open, another while one is), the tool bar and
// the nine-pane status bar, all made from the command table. It gives each
// document of the application object a window and takes it away again.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QPrinter>
#include <map>
#include <memory>
#include <span>
#include <vector>

#include "app/commands.h"

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

namespace veska::app {

class AVeskaDoc;
class Application;
class CChildFrame;
class CVeskaView;
struct ImageStatus;

class CMainFrame final : public QMainWindow {
  Q_OBJECT
 public:
  // The widths of the status bar's image panes, after the message pane.
  static constexpr int kPaneWidths[] = {68, 90, 98, 90, 94, 70, 70, 70};
  static constexpr const char* kPaneLabels[] = {"Lum:",   "Min:",   "Max:",   "Small:",
                                                "Big:",   "Width:", "Height:", "Zoom%:"};
  static constexpr char kIdleText[] = "Ready";

  explicit CMainFrame(Application& app, QWidget* parent = nullptr);
  ~CMainFrame() override;

  Application& App() { return app_; }
  QAction* Action(CommandId id) const;
  QMdiArea* MdiArea() const { return mdi_; }
  // The active document, or nullptr.
  AVeskaDoc* ActiveDocument() const;
  CChildFrame* FrameOf(const AVeskaDoc* doc) const;
  // The active document's image window, or nullptr.
  CVeskaView* ActiveView() const;
  // The recent-file entries of the File menu (hidden when unused).
  const std::vector<QAction*>& RecentActions() const { return recentActions_; }
  // Status bar panes: 0 is the message pane, 1..8 the image panes.
  QLabel* Pane(int index) const { return panes_[size_t(index)]; }
  // Re-evaluates every command's enabling rule and the menu set.
  void UpdateCommands();
  CommandState State() const;

  // Handlers of the command table.
  void OnNew();
  void OnOpen();
  void OnBatch();
  void OnClose();
  void OnSave();
  void OnSaveAs();
  void OnPrintSetup();
  void OnExit();
  void OnToggleToolBar();
  void OnToggleStatusBar();
  void OnCopy();
  void OnPaste();
  void OnSelectAll();
  void OnPrint();
  void OnZoomCustom();
  void OnZoomIn();
  void OnZoomOut();
  void OnZoomSelection();
  void OnZoomFit();
  void OnZoomReset();
  void OnSynchronize();
  void OnRotate90();
  void OnRotate180();
  void OnRotate270();
  void OnFlipUpDown();
  void OnFlipLeftRight();
  void OnMix();
  void OnResize();
  void OnOptions();
  void OnProcess();
  void OnPreview();
  void OnMultiLuminance();
  void OnSingleLuminance();
  void OnCascade();
  void OnTileHorizontally();
  void OnTileVertically();
  void OnArrangeIcons();
  void OnCloseAll();
  void OnWindowInfo();
  void OnAbout();

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // The first showing puts the splash window over the main window.
  void showEvent(QShowEvent* event) override;

 private:
  void MakeActions();
  void MakeMenus(std::span<const MenuItem> items, std::vector<QMenu*>& menus);
  void MakeToolBar();
  void MakeStatusBar();
  void ShowMenuSet(const std::vector<QMenu*>& menus);
  void UpdateRecentFiles();
  void AddFrame(AVeskaDoc* doc);
  void RemoveFrame(AVeskaDoc* doc);
  void Activate(AVeskaDoc* doc);
  void SetMessage(const QString& text);
  // The image panes from a view's figures; nullptr: the zero record.
  void ShowImageStatus(const ImageStatus* status);
  // Tells the window that lost activation, then the one that gained it.
  void ViewActivated(QMdiSubWindow* window);
  void Tile(Qt::Orientation orientation);

  Application& app_;
  QMdiArea* mdi_;
  QToolBar* toolBar_ = nullptr;
  std::map<CommandId, QAction*> actions_;
  std::vector<QMenu*> emptyMenus_;
  std::vector<QMenu*> documentMenus_;
  const std::vector<QMenu*>* shownMenus_ = nullptr;
  QAction* recentPlaceholder_ = nullptr;
  std::vector<QAction*> recentActions_;
  std::vector<QLabel*> panes_;
  std::map<const AVeskaDoc*, CChildFrame*> frames_;
  QPrinter printer_;
  QPointer<CVeskaView> activeView_;
  bool shownOnce_ = false;
};

}  // namespace veska::app
