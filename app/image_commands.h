// The view's Mix and Resize commands: each asks its dialog and makes a new
// window with the result, leaving the images it started from as they were.
#pragma once

class QWidget;

namespace veska::app {

class Application;
class CVeskaView;

// Mix: the Mix dialog over `view`'s document; OK makes a window with a copy
// of the chosen primary image mixed with the secondary one.
void RunMixCommand(Application& app, CVeskaView& view, QWidget* parent);

// Resize: the Resize dialog for `view`'s document; OK makes a window with a
// copy of it at the new size, which then takes the dialog's resolution.
void RunResizeCommand(Application& app, CVeskaView& view, QWidget* parent);

}  // namespace veska::app
