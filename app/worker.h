// Long work off the user-interface thread. The engine's runs, loads, saves
// and the batch run go to a worker thread so that windows keep painting and
// a progress window's Cancel stays live.
#pragma once

#include <QObject>
#include <QThread>
#include <functional>
#include <memory>

namespace veska::app {

// One piece of work on its own thread; `finished` arrives on the thread that
// started it, with the work's result.
class Worker final : public QObject {
  Q_OBJECT
 public:
  explicit Worker(QObject* parent = nullptr);
  ~Worker() override;  // waits for the work to end

  void Start(std::function<int()> work);
  bool Running() const;
  void Wait();

 signals:
  void finished(int result);

 private:
  std::unique_ptr<QThread> thread_;
  int result_ = 0;
};

// Runs `work` on a worker thread and returns its result when it ends. The
// user-interface thread serves events meanwhile, but user input reaches only
// a modal window opened by the work (a progress window, a question): the
// windows behind it stay as they are until the work ends.
int RunOnWorker(const std::function<int()>& work);

}  // namespace veska::app
