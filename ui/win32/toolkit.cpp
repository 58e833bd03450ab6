#include "ui/toolkit.h"

#include "ui/win32/native_controls.h"
#include "ui/win32/native_window.h"
#include "ui/win32/win32_ui.h"

namespace ui {
namespace {

bool g_started = false;

// Windows and controls are sized at the screen's real density, so the system must not stretch
// them. The program's manifest says the same; this covers programs without it (the tests). The
// per-monitor call is missing before Windows 10.
void DeclareDensityAware() {
  using SetContextFn = BOOL(WINAPI*)(HANDLE);
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  auto set_context = user32 ? reinterpret_cast<SetContextFn>(
                                  reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")))
                            : nullptr;
  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
  if (set_context && set_context(reinterpret_cast<HANDLE>(static_cast<intptr_t>(-4)))) return;
  SetProcessDPIAware();
}

}  // namespace

bool Win32ToolkitStarted() { return g_started; }

// Windows always has a desktop to open windows on: the start fails only when the system refuses
// the common controls or the window class, and then there is nothing the toolkit would abort on.
bool StartToolkit(int&, char**, ToolkitFailure failed) {
  if (g_started) return true;
  DeclareDensityAware();
  if (!win32::NativeInitControls() || !win32::NativeInitMessageLoop()) {
    if (failed) failed("the common controls could not be loaded");
    return false;
  }
  // A class registered by an earlier start of this process is still good.
  if (!win32::NativeRegisterWindowClass(kWin32WindowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    if (failed) failed("the window class could not be registered");
    return false;
  }
  g_started = true;
  return true;
}

void StopToolkit() {
  if (!g_started) return;
  win32::NativeUnregisterWindowClass(kWin32WindowClass);
  win32::NativeShutdownMessageLoop();
  g_started = false;
}

void PumpEvents() {
  if (g_started) win32::NativeWaitMessages(0);
}

void SetProgramIcon(std::string_view) {}

}  // namespace ui
