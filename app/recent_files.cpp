#include "app/recent_files.h"

namespace veska::app {

RecentFiles::RecentFiles(QSettings& settings) : settings_(settings) {
  settings_.beginGroup(kGroup);
  for (int i = 1; i <= kSize; ++i) {
    QString path = settings_.value(QString("File%1").arg(i)).toString();
    if (!path.isEmpty()) paths_ << path;
  }
  settings_.endGroup();
}

void RecentFiles::Add(const QString& path) {
  paths_.removeAll(path);
  paths_.prepend(path);
  while (paths_.size() > kSize) paths_.removeLast();
  Write();
}

void RecentFiles::Remove(const QString& path) {
  paths_.removeAll(path);
  Write();
}

void RecentFiles::Write() {
  settings_.beginGroup(kGroup);
  settings_.remove("");
  for (int i = 0; i < paths_.size(); ++i) settings_.setValue(QString("File%1").arg(i + 1), paths_[i]);
  settings_.endGroup();
  settings_.sync();
}

}  // namespace veska::app
