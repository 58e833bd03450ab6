// Generated test pictures and the bare libraries' own decode, shared by the benchmarks that
// compare our image layer against them.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/image/encoders.h"

namespace benchpics {

using testimg::Bytes;

// A "photo" (smooth gradients with fine noise) and a "screenshot" (flat panels, hard edges and
// text-like strokes), as packed RGB.
std::vector<uint8_t> PhotoRgb(int width, int height);
std::vector<uint8_t> ScreenshotRgb(int width, int height);

Bytes ToPng(const std::vector<uint8_t>& rgb, int width, int height);
Bytes ToJpeg(const std::vector<uint8_t>& rgb, int width, int height);
Bytes ToGif(const std::vector<uint8_t>& rgb, int width, int height);

// Each library decoding the bytes in its own natural way into a reused buffer.
void BarePng(const Bytes& bytes, std::vector<uint8_t>& buffer);
void BareJpeg(const Bytes& bytes, std::vector<uint8_t>& buffer);
void BareGif(const Bytes& bytes, std::vector<uint8_t>& buffer);

}  // namespace benchpics
