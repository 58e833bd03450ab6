// Message boxes, modal to the whole program: every other top-level window of the program is
// disabled while the box is open and enabled again afterwards.
#pragma once

#include <cstdint>

#include "runtime/text.h"

namespace ui {

// Buttons (low 4 bits of flags).
constexpr uint32_t kMessageOk = 0x0;
constexpr uint32_t kMessageOkCancel = 0x1;
constexpr uint32_t kMessageAbortRetryIgnore = 0x2;
constexpr uint32_t kMessageYesNoCancel = 0x3;
constexpr uint32_t kMessageYesNo = 0x4;
constexpr uint32_t kMessageRetryCancel = 0x5;
// Icons (0x10 to 0x40).
constexpr uint32_t kMessageIconError = 0x10;
constexpr uint32_t kMessageIconQuestion = 0x20;
constexpr uint32_t kMessageIconWarning = 0x30;
constexpr uint32_t kMessageIconInformation = 0x40;

// Answers: the id of the button pressed.
constexpr int32_t kAnswerOk = 1;
constexpr int32_t kAnswerCancel = 2;
constexpr int32_t kAnswerAbort = 3;
constexpr int32_t kAnswerRetry = 4;
constexpr int32_t kAnswerIgnore = 5;
constexpr int32_t kAnswerYes = 6;
constexpr int32_t kAnswerNo = 7;

// Texts longer than this are cut to kMessageTextKept units.
constexpr int64_t kMessageTextLimit = 65535;
constexpr int64_t kMessageTextKept = 65534;

// Shows the box and waits for the answer. Owner: the given window (the toolkit's window, a QWidget*
// with Qt, an HWND on Windows), else the program's active window, else none.
int32_t MessageBoxShow(runtime::TextView title, runtime::TextView text, uint32_t flags = 0, void* owner = nullptr);

}  // namespace ui
