// Writing and reading back 1,000,000 scene lines through the numbered text files, each beside the
// standard streams doing the same work on the same bytes in the same run.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "files/text_file.h"
#include "runtime/text.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int kLines = 1000000;

struct Data {
  std::vector<std::string> utf8;
  std::vector<runtime::Text> texts;
  testsupport::TempDir folder;                            // removed with its files when the benchmark ends
  std::string ours = folder.str() + "/ours.txt";          // written by the text files
  std::string standard = folder.str() + "/standard.txt";  // written by std::ofstream
  std::string source = folder.str() + "/source.txt";      // the same lines, read back by both

  Data() {
    utf8.reserve(kLines);
    texts.reserve(kLines);
    for (int i = 0; i < kLines; ++i) {
      std::string line = "add_image ( \"gallery/set_" + std::to_string(i % 97) + "/picture_" + std::to_string(i) +
                         ".png\", " + std::to_string(320 + i % 1700) + ", " + std::to_string(240 + i % 900) + " ) ";
      texts.push_back(runtime::TextFromUtf8(line));
      utf8.push_back(std::move(line));
    }
    std::ofstream out(source, std::ios::binary);
    for (const std::string& line : utf8) out << line << "\r\n";
  }
};

Data& Shared() {
  static Data data;
  return data;
}

void BM_WriteLine(benchmark::State& state) {
  Data& data = Shared();
  files::InitFileLibrary();
  const runtime::Text path = runtime::TextFromUtf8(data.ours);
  for (auto _ : state) {
    if (!files::CreateTextFile(1, path)) state.SkipWithError("cannot create");
    for (const runtime::Text& text : data.texts) files::WriteLine(1, text);
    files::CloseTextFile(1);
  }
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_WriteLine)->Unit(benchmark::kMillisecond);

void BM_OfstreamWrite(benchmark::State& state) {
  Data& data = Shared();
  for (auto _ : state) {
    std::ofstream out(data.standard, std::ios::binary | std::ios::trunc);
    for (const std::string& line : data.utf8) out << line << "\r\n";
  }
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_OfstreamWrite)->Unit(benchmark::kMillisecond);

void BM_ReadLine(benchmark::State& state) {
  Data& data = Shared();
  files::InitFileLibrary();
  const runtime::Text path = runtime::TextFromUtf8(data.source);
  for (auto _ : state) {
    if (!files::OpenTextFile(1, path)) state.SkipWithError("cannot open");
    int64_t lines = 0;
    while (!files::EndOfFile(1)) {
      runtime::Text line = files::ReadLine(1, 0);
      benchmark::DoNotOptimize(line.data());
      ++lines;
    }
    files::CloseTextFile(1);
    if (lines != kLines) state.SkipWithError("wrong line count");
  }
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_ReadLine)->Unit(benchmark::kMillisecond);

void BM_GetlineRead(benchmark::State& state) {
  Data& data = Shared();
  for (auto _ : state) {
    std::ifstream in(data.source, std::ios::binary);
    std::string line;
    int64_t lines = 0;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      benchmark::DoNotOptimize(line.data());
      ++lines;
    }
    if (lines != kLines) state.SkipWithError("wrong line count");
  }
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_GetlineRead)->Unit(benchmark::kMillisecond);

}  // namespace
