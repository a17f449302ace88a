#include "app/main_frame.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>

#include "app/application.h"
#include "app/batch_command.h"
#include "app/child_frame.h"
#include "app/document.h"
#include "app/veska_view.h"
#include "app/image_commands.h"
#include "app/process_command.h"
#include "app/prompter.h"
#include "app/resources.h"
#include "dialogs/options_dialog.h"
#include "dialogs/small_dialogs.h"
#include "dialogs/splash_window.h"
#include "dialogs/window_info_dialog.h"

namespace veska::app {
namespace {

QList<QKeySequence> Shortcuts(const char* keys) {
  QList<QKeySequence> result;
  for (const QString& key : QString(keys).split('|', Qt::SkipEmptyParts))
    result << QKeySequence::fromString(key, QKeySequence::PortableText);
  return result;
}

}  // namespace

CMainFrame::CMainFrame(Application& app, QWidget* parent)
    : QMainWindow(parent), app_(app), mdi_(new QMdiArea) {
  LoadResources();
  setWindowTitle(kAppTitle);
  setWindowIcon(QIcon(":/veska-pro.svg"));
  mdi_->setAccessibleName("Image windows");
  mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(mdi_);

  MakeActions();
  MakeMenus(EmptyMenuBar(), emptyMenus_);
  MakeMenus(DocumentMenuBar(), documentMenus_);
  MakeToolBar();
  MakeStatusBar();
  UpdateRecentFiles();

  connect(mdi_, &QMdiArea::subWindowActivated, this, &CMainFrame::ViewActivated);
  connect(&app_, &Application::documentAdded, this, &CMainFrame::AddFrame);
  connect(&app_, &Application::documentClosing, this, &CMainFrame::RemoveFrame);
  connect(&app_, &Application::activateRequested, this, &CMainFrame::Activate);
  connect(&app_, &Application::recentFilesChanged, this, &CMainFrame::UpdateRecentFiles);
  if (QClipboard* clipboard = QApplication::clipboard())
    connect(clipboard, &QClipboard::dataChanged, this, [this] { UpdateCommands(); });
  UpdateCommands();
}

void CMainFrame::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shownOnce_) return;
  shownOnce_ = true;
  dialogs::SplashWindow::ShowOver(this);
}

CMainFrame::~CMainFrame() {
  // Nothing may reach this window's members while its widgets go.
  mdi_->disconnect(this);
  app_.disconnect(this);
  QApplication::clipboard()->disconnect(this);
  // Frames go before the documents they show.
  for (auto& [doc, frame] : frames_) {
    const_cast<AVeskaDoc*>(doc)->disconnect(this);
    delete frame;
  }
}

void CMainFrame::MakeActions() {
  for (const Command& command : Commands()) {
    auto* action = new QAction(QString(command.text), this);
    const QString prompt = command.prompt;
    const int newline = prompt.indexOf('\n');
    action->setStatusTip(newline >= 0 ? prompt.left(newline) : prompt);
    if (newline >= 0) action->setToolTip(prompt.mid(newline + 1));
    action->setShortcuts(Shortcuts(command.keys));
    if (command.icon != nullptr) action->setIcon(QIcon(command.icon));
    action->setCheckable(command.checkable);
    action->setData(int(command.id));
    if (command.handler != nullptr) {
      auto handler = command.handler;
      connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    }
    // Key-only commands are part of the window so that their keys are bound.
    addAction(action);
    actions_[command.id] = action;
  }
  Action(CommandId::kToolbar)->setChecked(true);
  Action(CommandId::kStatusBar)->setChecked(true);

  recentPlaceholder_ = new QAction("Recent File", this);
  recentPlaceholder_->setEnabled(false);
  for (int i = 0; i < RecentFiles::kSize; ++i) {
    auto* action = new QAction(this);
    action->setStatusTip("Open this document");
    connect(action, &QAction::triggered, this, [this, i] {
      const QStringList paths = app_.Recent().Paths();
      if (i >= paths.size()) return;
      const QString path = paths[i];
      if (app_.OpenDocumentFile(path) == nullptr && !QFileInfo::exists(path)) {
        app_.Recent().Remove(path);
        UpdateRecentFiles();
      }
    });
    recentActions_.push_back(action);
  }
}

QAction* CMainFrame::Action(CommandId id) const { return actions_.at(id); }

void CMainFrame::MakeMenus(std::span<const MenuItem> items, std::vector<QMenu*>& menus) {
  std::vector<QMenu*> stack;
  for (const MenuItem& item : items) {
    switch (item.kind) {
      case MenuItemKind::kMenu:
        menus.push_back(new QMenu(item.text, this));
        connect(menus.back(), &QMenu::aboutToShow, this, &CMainFrame::UpdateCommands);
        stack = {menus.back()};
        break;
      case MenuItemKind::kSubmenu:
        stack.push_back(stack.back()->addMenu(item.text));
        break;
      case MenuItemKind::kEndSubmenu:
        stack.pop_back();
        break;
      case MenuItemKind::kSeparator:
        stack.back()->addSeparator();
        break;
      case MenuItemKind::kRecentFiles:
        stack.back()->addAction(recentPlaceholder_);
        for (QAction* action : recentActions_) stack.back()->addAction(action);
        break;
      case MenuItemKind::kCommand:
        stack.back()->addAction(Action(item.id));
        break;
    }
  }
}

void CMainFrame::ShowMenuSet(const std::vector<QMenu*>& menus) {
  if (shownMenus_ == &menus) return;
  shownMenus_ = &menus;
  menuBar()->clear();
  for (QMenu* menu : menus) menuBar()->addMenu(menu);
}

void CMainFrame::MakeToolBar() {
  toolBar_ = addToolBar("Toolbar");
  toolBar_->setObjectName("Toolbar");
  toolBar_->setAccessibleName("Toolbar");
  toolBar_->setIconSize(QSize(16, 16));
  for (const MenuItem& item : ToolBarItems()) {
    if (item.kind == MenuItemKind::kSeparator) {
      toolBar_->addSeparator();
    } else {
      toolBar_->addAction(Action(item.id));
    }
  }
  connect(toolBar_, &QToolBar::visibilityChanged, Action(CommandId::kToolbar),
          &QAction::setChecked);
}

void CMainFrame::MakeStatusBar() {
  auto* message = new QLabel(kIdleText);
  message->setAccessibleName("Message");
  statusBar()->addWidget(message, 1);
  panes_.push_back(message);
  // The widest text each pane can show: 16-bit values and cursors of one
  // channel, or three channels' values and the largest cursors.
  const ImageStatus one{false, {65535}, {65535}, {65535}, {65535}, 65535, 65535, 3000};
  const ImageStatus three{true, {255, 255, 255}, {255, 255, 255}, {65535, 65535, 65535},
                          {65535, 65535, 65535}, 0, 0, 0};
  const QStringList widest[] = {StatusPaneTexts(one), StatusPaneTexts(three)};
  for (size_t i = 0; i < std::size(kPaneLabels); ++i) {
    auto* pane = new QLabel(kPaneLabels[i]);
    pane->setAccessibleName(kPaneLabels[i]);
    pane->setFrameShape(QFrame::Panel);
    pane->setFrameShadow(QFrame::Sunken);
    // The designed width, or more where this desktop's font needs it to show
    // the widest text whole.
    const QFontMetrics metrics(pane->font());
    int width = kPaneWidths[i];
    for (const QStringList& texts : widest)
      width = std::max(width, metrics.horizontalAdvance(texts[int(i)]) + 2 * pane->frameWidth() +
                                  2 * pane->margin() + metrics.averageCharWidth());
    pane->setFixedWidth(width);
    statusBar()->addPermanentWidget(pane);
    panes_.push_back(pane);
  }
}

void CMainFrame::SetMessage(const QString& text) {
  panes_[0]->setText(text.isEmpty() ? QString(kIdleText) : text);
}

bool CMainFrame::event(QEvent* event) {
  if (event->type() == QEvent::StatusTip) {
    SetMessage(static_cast<QStatusTipEvent*>(event)->tip());
    return true;
  }
  return QMainWindow::event(event);
}

void CMainFrame::UpdateRecentFiles() {
  const QStringList& paths = app_.Recent().Paths();
  recentPlaceholder_->setVisible(paths.isEmpty());
  for (size_t i = 0; i < recentActions_.size(); ++i) {
    QAction* action = recentActions_[i];
    const bool used = int(i) < paths.size();
    action->setVisible(used);
    if (used) action->setText(QString("&%1 %2").arg(i + 1).arg(paths[int(i)]));
  }
}

AVeskaDoc* CMainFrame::ActiveDocument() const {
  auto* frame = qobject_cast<CChildFrame*>(mdi_->currentSubWindow());
  return frame != nullptr ? &frame->Document() : nullptr;
}

CChildFrame* CMainFrame::FrameOf(const AVeskaDoc* doc) const {
  auto it = frames_.find(doc);
  return it != frames_.end() ? it->second : nullptr;
}

CVeskaView* CMainFrame::ActiveView() const {
  CChildFrame* frame = FrameOf(ActiveDocument());
  return frame != nullptr ? frame->View() : nullptr;
}

void CMainFrame::ViewActivated(QMdiSubWindow* window) {
  auto* frame = qobject_cast<CChildFrame*>(window);
  CVeskaView* view = frame != nullptr ? frame->View() : nullptr;
  if (view != activeView_) {
    if (activeView_ != nullptr) activeView_->Deactivated();
    activeView_ = view;
    if (view != nullptr) view->Activated();
  }
  UpdateCommands();
}

void CMainFrame::ShowImageStatus(const ImageStatus* status) {
  const QStringList texts = StatusPaneTexts(status != nullptr ? *status : ImageStatus{});
  for (int i = 0; i < texts.size(); ++i) panes_[size_t(i) + 1]->setText(texts[i]);
}

CommandState CMainFrame::State() const {
  CommandState state;
  state.childExists = !frames_.empty();
  const std::vector<AVeskaDoc*>& documents = app_.Documents();
  state.firstTwoLoaded =
      documents.size() >= 2 && documents[0]->Loaded() && documents[1]->Loaded();
  if (const QMimeData* data = QApplication::clipboard()->mimeData())
    state.clipboardHasImage = data->hasImage();
  AVeskaDoc* doc = ActiveDocument();
  if (doc == nullptr) return state;
  state.documentActive = true;
  state.imageLoaded = doc->Loaded();
  state.hasPixels = doc->Image().Desc() != nullptr;
  state.grayscale = doc->Image().IsGray() != 0;
  state.multiChannel = doc->Channels().MultiChannel();
  if (CChildFrame* frame = FrameOf(doc)) {
    state.hasSelection = frame->View()->HasSelection();
    state.zoomIs100 = frame->View()->ZoomFactor() == 100;
  }
  return state;
}

void CMainFrame::UpdateCommands() {
  const CommandState state = State();
  for (const Command& command : Commands()) Action(command.id)->setEnabled(command.enabled(state));
  ShowMenuSet(state.childExists ? documentMenus_ : emptyMenus_);
}

void CMainFrame::AddFrame(AVeskaDoc* doc) {
  auto* frame = new CChildFrame(app_, *doc);
  frame->setWindowIcon(windowIcon());  // one icon shared by every window
  frames_[doc] = frame;
  connect(doc, &AVeskaDoc::modifiedChanged, this, &CMainFrame::UpdateCommands);
  connect(doc, &AVeskaDoc::updateViews, this, &CMainFrame::UpdateCommands);
  connect(frame->View(), &CVeskaView::message, this, &CMainFrame::SetMessage);
  connect(frame->View(), &CVeskaView::statusChanged, this, &CMainFrame::ShowImageStatus);
  connect(frame->View(), &CVeskaView::stateChanged, this, &CMainFrame::UpdateCommands);
  mdi_->addSubWindow(frame);
  frame->resize(520, 400);
  frame->show();
  frame->View()->ResetView(true);
  mdi_->setActiveSubWindow(frame);
  UpdateCommands();
}

void CMainFrame::RemoveFrame(AVeskaDoc* doc) {
  CChildFrame* frame = FrameOf(doc);
  if (frame == nullptr) return;
  frames_.erase(doc);
  doc->disconnect(this);
  frame->CloseQuietly();
  UpdateCommands();
}

void CMainFrame::Activate(AVeskaDoc* doc) {
  if (CChildFrame* frame = FrameOf(doc)) mdi_->setActiveSubWindow(frame);
  UpdateCommands();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (!app_.SaveAllModified()) {
    event->ignore();
    return;
  }
  const std::vector<AVeskaDoc*> documents = app_.Documents();
  for (AVeskaDoc* doc : documents) app_.CloseDocument(*doc);
  event->accept();
}

void CMainFrame::OnNew() { app_.NewDocument(); }

void CMainFrame::OnOpen() { app_.FileOpen(); }

void CMainFrame::OnBatch() { RunBatchCommand(app_, this); }

void CMainFrame::OnClose() {
  if (QMdiSubWindow* frame = mdi_->currentSubWindow()) frame->close();
}

void CMainFrame::OnSave() {
  if (AVeskaDoc* doc = ActiveDocument()) app_.FileSave(*doc);
}

void CMainFrame::OnSaveAs() {
  if (AVeskaDoc* doc = ActiveDocument()) app_.SaveAs(*doc);
}

void CMainFrame::OnPrintSetup() {
  QPageSetupDialog dialog(&printer_, this);
  UiPrompter::Get().Run(dialog);
}

void CMainFrame::OnExit() { close(); }

void CMainFrame::OnToggleToolBar() {
  toolBar_->setVisible(Action(CommandId::kToolbar)->isChecked());
}

void CMainFrame::OnToggleStatusBar() {
  statusBar()->setVisible(Action(CommandId::kStatusBar)->isChecked());
}

void CMainFrame::OnCopy() {
  if (CVeskaView* view = ActiveView()) view->Copy();
}

void CMainFrame::OnPaste() {
  if (CVeskaView* view = ActiveView()) view->Paste();
}

void CMainFrame::OnSelectAll() {
  if (CVeskaView* view = ActiveView()) view->SelectAll();
}

void CMainFrame::OnPrint() {
  if (CVeskaView* view = ActiveView()) view->Print(printer_);
}

void CMainFrame::OnZoomCustom() {
  if (CVeskaView* view = ActiveView()) view->ZoomCustom();
}

void CMainFrame::OnZoomIn() {
  if (CVeskaView* view = ActiveView()) view->ZoomIn();
}

void CMainFrame::OnZoomOut() {
  if (CVeskaView* view = ActiveView()) view->ZoomOut();
}

void CMainFrame::OnZoomSelection() {
  if (CVeskaView* view = ActiveView()) view->ZoomSelection();
}

void CMainFrame::OnZoomFit() {
  if (CVeskaView* view = ActiveView()) view->ZoomFit();
}

void CMainFrame::OnZoomReset() {
  if (CVeskaView* view = ActiveView()) view->ZoomReset();
}

void CMainFrame::OnSynchronize() {
  CVeskaView::SetSynchronized(Action(CommandId::kSynchronize)->isChecked());
}

void CMainFrame::OnRotate90() {
  if (AVeskaDoc* doc = ActiveDocument()) doc->Rotate(90);
}

void CMainFrame::OnRotate180() {
  if (AVeskaDoc* doc = ActiveDocument()) doc->Rotate(180);
}

void CMainFrame::OnRotate270() {
  if (AVeskaDoc* doc = ActiveDocument()) doc->Rotate(270);
}

void CMainFrame::OnFlipUpDown() {
  if (AVeskaDoc* doc = ActiveDocument()) doc->Flip(FlipDirection::kUpDown);
}

void CMainFrame::OnFlipLeftRight() {
  if (AVeskaDoc* doc = ActiveDocument()) doc->Flip(FlipDirection::kLeftRight);
}

void CMainFrame::OnMix() {
  if (CVeskaView* view = ActiveView()) RunMixCommand(app_, *view, this);
  UpdateCommands();
}

void CMainFrame::OnResize() {
  if (CVeskaView* view = ActiveView()) RunResizeCommand(app_, *view, this);
  UpdateCommands();
}

void CMainFrame::OnOptions() {
  dialogs::OptionsDialog dialog(app_.Counts(), this);
  UiPrompter::Get().Run(dialog);
}

void CMainFrame::OnProcess() {
  AVeskaDoc* doc = ActiveDocument();
  if (doc == nullptr) return;
  RunProcessCommand(app_, *FrameOf(doc)->View(), this);
  UpdateCommands();
}

void CMainFrame::OnPreview() {
  AVeskaDoc* doc = ActiveDocument();
  if (doc == nullptr) return;
  RunPreviewCommand(app_, *FrameOf(doc)->View(), this);
  UpdateCommands();
}

void CMainFrame::OnMultiLuminance() {
  if (AVeskaDoc* doc = ActiveDocument()) RunLuminanceCommand(*doc, veska::Luminance::kMulti, this);
  UpdateCommands();
}

void CMainFrame::OnSingleLuminance() {
  if (AVeskaDoc* doc = ActiveDocument()) RunLuminanceCommand(*doc, veska::Luminance::kSingle, this);
  UpdateCommands();
}

void CMainFrame::OnCascade() { mdi_->cascadeSubWindows(); }

void CMainFrame::OnTileHorizontally() { Tile(Qt::Vertical); }

void CMainFrame::OnTileVertically() { Tile(Qt::Horizontal); }

// Tiles the open windows one above the other (Qt::Vertical) or side by side.
void CMainFrame::Tile(Qt::Orientation orientation) {
  QList<QMdiSubWindow*> windows;
  for (QMdiSubWindow* window : mdi_->subWindowList())
    if (!window->isMinimized()) windows << window;
  if (windows.isEmpty()) return;
  const QRect area = mdi_->viewport()->rect();
  const int count = int(windows.size());
  for (int i = 0; i < count; ++i) {
    windows[i]->showNormal();
    if (orientation == Qt::Vertical) {
      const int height = area.height() / count;
      windows[i]->setGeometry(0, i * height, area.width(), height);
    } else {
      const int width = area.width() / count;
      windows[i]->setGeometry(i * width, 0, width, area.height());
    }
  }
}

void CMainFrame::OnArrangeIcons() {
  const QRect area = mdi_->viewport()->rect();
  int x = 0;
  for (QMdiSubWindow* window : mdi_->subWindowList()) {
    if (!window->isMinimized()) continue;
    window->move(x, area.height() - window->height());
    x += window->width();
  }
}

void CMainFrame::OnCloseAll() { app_.CloseAll(); }

void CMainFrame::OnWindowInfo() {
  dialogs::WindowInfoDialog dialog(app_.Documents(), [this](AVeskaDoc* doc) { Activate(doc); },
                                   this);
  UiPrompter::Get().Run(dialog);
}

void CMainFrame::OnAbout() {
  dialogs::AboutDialog dialog(this);
  UiPrompter::Get().Run(dialog);
}

}  // namespace veska::app
