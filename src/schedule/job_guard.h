#pragma once
// Marks an archive run or a maintenance job in progress. Pumping messages during a job
// delivers the main window's timer ticks; while a guard is held they return at once, so
// no job starts twice.
namespace ark::schedule {

class JobGuard {
 public:
  JobGuard() { ++depth_; }
  ~JobGuard() { --depth_; }
  JobGuard(const JobGuard&) = delete;
  JobGuard& operator=(const JobGuard&) = delete;
  static bool busy() { return depth_ > 0; }

 private:
  static inline int depth_ = 0;
};

}  // namespace ark::schedule
