#include "app/measure_pipeline.h"

#include <chrono>
#include <cstdlib>
#include <system_error>

namespace app {
namespace {

Measurement MeasureFile(const std::u16string& path) {
  Measurement result{};
  result.loaded = image::MeasureImageFile(path, &result.size);
  return result;
}

// A positive decimal number and nothing else, or 0.
int PositiveNumber(const char* text) {
  if (text == nullptr || *text == '\0') return 0;
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (*end != '\0' || value <= 0) return 0;
  return value > kMaxMeasuringThreads ? kMaxMeasuringThreads : static_cast<int>(value);
}

}  // namespace

int MeasuringThreads(int requested) {
  if (requested > 0) return requested > kMaxMeasuringThreads ? kMaxMeasuringThreads : requested;
  if (const int from_environment = PositiveNumber(std::getenv("SCENE_BUILDER_JOBS"))) return from_environment;
  const unsigned hardware = std::thread::hardware_concurrency();
  if (hardware == 0) return 1;
  return hardware > static_cast<unsigned>(kMaxMeasuringThreads) ? kMaxMeasuringThreads : static_cast<int>(hardware);
}

MeasurePipeline::MeasurePipeline(int jobs, int look_ahead) : look_ahead_(look_ahead > 0 ? look_ahead : 1) {
  for (int i = 0; i < jobs; ++i) {
    try {
      workers_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
      break;  // fewer threads than asked for; with none at all TakeOldest measures on its own
    }
  }
}

MeasurePipeline::~MeasurePipeline() {
  {
    std::lock_guard guard(lock_);
    stopping_ = true;
    waiting_work_.clear();
  }
  work_ready_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void MeasurePipeline::Submit(std::u16string path) {
  auto request = std::make_unique<Request>();
  request->path = std::move(path);
  {
    std::lock_guard guard(lock_);
    waiting_work_.push_back(request.get());
    order_.push_back(std::move(request));
  }
  work_ready_.notify_one();
}

bool MeasurePipeline::TakeOldest(const std::function<bool()>& keep_waiting, Measurement* result) {
  std::unique_lock guard(lock_);
  Request* oldest = order_.front().get();
  if (workers_.empty() && !oldest->done) {
    waiting_work_.pop_front();
    guard.unlock();
    oldest->result = MeasureFile(oldest->path);
    guard.lock();
    oldest->done = true;
  }
  while (!oldest->done) {
    if (!keep_waiting) {
      result_ready_.wait(guard, [oldest] { return oldest->done; });
      break;
    }
    if (result_ready_.wait_for(guard, std::chrono::milliseconds(20), [oldest] { return oldest->done; })) break;
    guard.unlock();
    const bool go_on = keep_waiting();
    guard.lock();
    if (!go_on && !oldest->done) return false;
  }
  *result = oldest->result;
  order_.pop_front();
  return true;
}

void MeasurePipeline::Work() {
  std::unique_lock guard(lock_);
  for (;;) {
    work_ready_.wait(guard, [this] { return stopping_ || !waiting_work_.empty(); });
    if (stopping_) return;
    Request* request = waiting_work_.front();
    waiting_work_.pop_front();
    guard.unlock();
    const Measurement result = MeasureFile(request->path);
    guard.lock();
    request->result = result;
    request->done = true;
    result_ready_.notify_all();
  }
}

}  // namespace app
