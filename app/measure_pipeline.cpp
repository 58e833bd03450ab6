#include "app/measure_pipeline.h"

#include <chrono>
#include <cstdlib>
#include <system_error>

#include "image/image.h"

namespace app {
namespace {

// The memory that the measurements running at one time may be estimated to take together. One image
// may take the image budget in its decoder, beside its file's bytes and its share of the rest: such
// an image is measured alone, smaller large ones side by side.
constexpr uint64_t kMeasuringMemory = image::kImageMaxBytes + image::kImageMaxBytes / 4;

// A measurement estimated below this passes without being counted or waiting: nearly every picture
// does, and the most that all workers can hold that way is a small amount each.
constexpr uint64_t kSmallMeasurement = uint64_t{32} << 20;

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
  memory_returned_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

// Counts `bytes` as taken when they fit beside the measurements admitted, or when there are none
// (so one larger than all the room still runs, alone). Without `wait` it does not wait for room;
// with it, it waits unless the pipeline is stopping. True when admitted.
bool MeasurePipeline::Admit(uint64_t bytes, bool wait) {
  std::unique_lock guard(lock_);
  const auto fits = [&] { return measurements_admitted_ == 0 || memory_admitted_ + bytes <= kMeasuringMemory; };
  if (wait) memory_returned_.wait(guard, [&] { return stopping_ || fits(); });
  if (stopping_ || !fits()) return false;
  ++measurements_admitted_;
  memory_admitted_ += bytes;
  return true;
}

void MeasurePipeline::GiveBack(uint64_t bytes) {
  {
    std::lock_guard guard(lock_);
    --measurements_admitted_;
    memory_admitted_ -= bytes;
  }
  memory_returned_.notify_all();
}

// The estimate needs the file's headers, so the file is read first. A measurement that must wait
// for room gives its bytes back while it waits (they would count for nothing meanwhile) and reads
// the file again once admitted; what was read then decides, so a file that grew in between waits
// again. It never holds room while it waits for more, so the waits cannot block one another.
Measurement MeasurePipeline::MeasureWithinMemory(const std::u16string& path) {
  Measurement result{};
  int32_t size = 0;
  uint8_t* bytes = image::ReadImageFileBytes(path, &size);
  uint64_t admitted = 0;
  while (bytes) {
    const uint64_t estimate = image::MeasurementMemory(bytes, size);
    if (estimate < kSmallMeasurement || estimate <= admitted) break;
    if (admitted) GiveBack(admitted);
    admitted = 0;
    if (Admit(estimate, false)) {
      admitted = estimate;
      break;
    }
    std::free(bytes);
    bytes = nullptr;
    if (!Admit(estimate, true)) return result;  // stopping: nobody takes the outcome
    admitted = estimate;
    bytes = image::ReadImageFileBytes(path, &size);
  }
  if (bytes) result.loaded = image::MeasureImageMemory(bytes, size, &result.size);
  std::free(bytes);
  if (admitted) GiveBack(admitted);
  return result;
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
    oldest->result = MeasureWithinMemory(oldest->path);
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
    const Measurement result = MeasureWithinMemory(request->path);
    guard.lock();
    request->result = result;
    request->done = true;
    result_ready_.notify_all();
  }
}

}  // namespace app
