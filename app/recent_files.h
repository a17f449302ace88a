// The recent-file list: the last four files opened or saved, newest first,
// kept in the settings under group "Recent File List", keys File1..File4.
#pragma once

#include <QSettings>
#include <QStringList>

namespace veska::app {

class RecentFiles {
 public:
  static constexpr int kSize = 4;
  static constexpr char kGroup[] = "Recent File List";

  // Reads the list from `settings` (not owned; it outlives the list).
  explicit RecentFiles(QSettings& settings);

  const QStringList& Paths() const { return paths_; }
  // Puts `path` first (moving it when listed), drops the fifth, and writes
  // the list back at once.
  void Add(const QString& path);
  void Remove(const QString& path);

 private:
  void Write();

  QSettings& settings_;
  QStringList paths_;
};

}  // namespace veska::app
