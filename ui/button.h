// Push buttons (kind 1). Pressing one posts EventWidget with WidgetEventLeftClick.
#pragma once

#include <cstdint>

#include "runtime/registry.h"
#include "runtime/text.h"

namespace ui {

// Button style bits in flags (0 = an ordinary push button).
constexpr uint32_t kButtonDefault = 0x1;
constexpr uint32_t kButtonCheckBox = 0x2;
constexpr uint32_t kButtonAutoCheckBox = 0x3;
constexpr uint32_t kButtonRadio = 0x4;
constexpr uint32_t kButtonAutoRadio = 0x9;
constexpr uint32_t kButtonTypeMask = 0xF;
constexpr uint32_t kButtonPushLike = 0x1000;

// The caption is kept exactly, blanks included. Returns the number for AnyId, otherwise a
// non-zero handle; 0 when there is no container window or no record.
int64_t ButtonCreate(runtime::ObjectNumber number, int32_t x, int32_t y, int32_t width, int32_t height,
                     runtime::TextView text, uint32_t flags = 0);

}  // namespace ui
