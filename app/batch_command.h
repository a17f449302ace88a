// File > Batch...: choose a batch file, check every entry, then run it in the
// "Batch Commands" dialog with the Batch scanline count.
#pragma once

class QWidget;

namespace veska::app {

class Application;

void RunBatchCommand(Application& app, QWidget* parent);

}  // namespace veska::app
