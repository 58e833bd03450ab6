// Waiting for the system's messages when the queue is empty, and the wake-up that ends such a wait.
#include "ui/backend.h"
#include "ui/win32/native_window.h"
#include "ui/win32/win32_ui.h"

namespace ui {
namespace {

bool g_events = false;

}  // namespace

bool BackendStartEvents() {
  if (!Win32ToolkitStarted()) return false;
  g_events = win32::NativeInitMessageLoop();
  return g_events;
}

void BackendStopEvents() { g_events = false; }

bool BackendWaitEvents() {
  if (!Win32ToolkitStarted()) return false;
  // A wake-up posted before the wait, or while it handles its batch, stays set in the loop's event:
  // it ends this wait or the next one at once.
  return win32::NativeWaitMessages(INFINITE) == win32::NativeWaitResult::WakeUp;
}

void BackendPostWakeUp() {
  if (g_events) win32::NativeWakeWait();
}

}  // namespace ui
