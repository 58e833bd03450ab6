// Measures image files on worker threads and gives the outcomes back in the order the files were
// handed in, so that one thread can write them exactly as if it had measured each file itself.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "image/measure.h"

namespace app {

struct Measurement {
  bool loaded;            // false where a load would have failed
  image::ImageSize size;  // valid when loaded
};

class MeasurePipeline {
 public:
  // Starts up to `jobs` workers. At most `look_ahead` files are in the pipeline at a time, so its
  // memory holds at most `jobs` images being decoded, whatever the number of files; and those whose
  // measurement takes much memory run only as many at once as fit in about 2.5 GiB together.
  MeasurePipeline(int jobs, int look_ahead);
  ~MeasurePipeline();
  MeasurePipeline(const MeasurePipeline&) = delete;
  MeasurePipeline& operator=(const MeasurePipeline&) = delete;

  bool Full() const { return static_cast<int>(order_.size()) >= look_ahead_; }
  bool Empty() const { return order_.empty(); }

  // Hands in a file; call only when not Full.
  void Submit(std::u16string path);

  // Takes the outcome of the oldest file handed in and not yet taken. While it is not known,
  // `keep_waiting` (when given) runs about every 20 ms, so a window can keep painting; when it answers
  // false, TakeOldest gives up at once and returns false, leaving the file in the pipeline (a pipeline
  // destroyed then drops the files not yet started and waits only for those being measured).
  bool TakeOldest(const std::function<bool()>& keep_waiting, Measurement* result);

 private:
  struct Request {
    std::u16string path;
    bool done = false;
    Measurement result{};
  };

  void Work();
  Measurement MeasureWithinMemory(const std::u16string& path);
  bool Admit(uint64_t bytes, bool wait);
  void GiveBack(uint64_t bytes);

  const int look_ahead_;
  std::mutex lock_;
  std::condition_variable work_ready_;
  std::condition_variable result_ready_;
  std::deque<std::unique_ptr<Request>> order_;  // handed in and not yet taken, oldest first
  std::deque<Request*> waiting_work_;           // not yet taken by a worker, oldest first
  bool stopping_ = false;
  // The large measurements running now and the memory they were estimated to take; a measurement
  // that does not fit beside them waits for memory_returned_.
  int measurements_admitted_ = 0;
  uint64_t memory_admitted_ = 0;
  std::condition_variable memory_returned_;
  std::vector<std::thread> workers_;
};

// The number of measuring threads for a request: `requested` when positive; otherwise the
// SCENE_BUILDER_JOBS environment variable when it holds a positive number; otherwise one per
// hardware thread. Never below 1 nor above kMaxMeasuringThreads.
int MeasuringThreads(int requested);
constexpr int kMaxMeasuringThreads = 256;

}  // namespace app
