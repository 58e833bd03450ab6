// The non-modal prompt shown while a drive has no medium: its icon, a text naming it, Cancel.
#include "ui/win32/native_controls.h"

namespace ui::win32 {
namespace {

constexpr wchar_t kPromptClass[] = L"SceneBuilderDrivePrompt";

struct PromptBinding {
  const NativeDrivePromptCallbacks* callbacks;
  void* context;
  HFONT font;
  bool answered;
};

void Answer(HWND prompt, PromptBinding* b) {
  if (!b->answered && b->callbacks->Cancelled) {
    b->answered = true;
    b->callbacks->Cancelled(b->context, prompt);
  }
  DestroyWindow(prompt);
}

// Set once the prompt being created has taken its binding: WM_NCDESTROY frees it from then on.
thread_local bool g_prompt_bound = false;

LRESULT CALLBACK PromptProc(HWND prompt, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrW(prompt, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<const CREATESTRUCTW*>(lparam)->lpCreateParams));
    g_prompt_bound = true;
  }
  auto* b = reinterpret_cast<PromptBinding*>(GetWindowLongPtrW(prompt, GWLP_USERDATA));
  if (b && message == WM_COMMAND && LOWORD(wparam) == kDrivePromptCancel) {
    Answer(prompt, b);
    return 0;
  }
  if (b && message == WM_CLOSE) {
    Answer(prompt, b);
    return 0;
  }
  if (b && message == WM_NCDESTROY) {
    SetWindowLongPtrW(prompt, GWLP_USERDATA, 0);
    if (b->font) DeleteObject(b->font);
    delete b;
  }
  return DefWindowProcW(prompt, message, wparam, lparam);
}

bool RegisterPromptClass() {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = PromptProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kPromptClass;
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// Lays out the three children at the prompt's density.
void FillPrompt(HWND prompt, const wchar_t* drive_text, HICON icon, HFONT font, UINT dpi) {
  auto s = [dpi](int v) { return MulDiv(v, static_cast<int>(dpi), 96); };
  HWND picture = NativeControlCreate(L"Static", 0, SS_ICON, prompt, {s(12), s(12), s(32), s(32)}, -1, nullptr);
  if (picture && icon) SendMessageW(picture, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  SetWindowLongW(picture, GWL_STYLE, GetWindowLongW(picture, GWL_STYLE) & ~WS_TABSTOP);
  HWND text = NativeControlCreate(L"Static", 0, SS_LEFT, prompt, {s(56), s(12), s(220), s(36)}, -1, drive_text);
  SetWindowLongW(text, GWL_STYLE, GetWindowLongW(text, GWL_STYLE) & ~WS_TABSTOP);
  HWND cancel =
      NativeButtonCreate(prompt, {s(196), s(56), s(80), s(24)}, kDrivePromptCancel, L"Cancel", BS_DEFPUSHBUTTON);
  for (HWND c : {text, cancel}) {
    if (c) NativeSetFont(c, font);
  }
  if (cancel) SetFocus(cancel);
}

}  // namespace

HWND NativeDrivePromptOpen(HWND owner, const wchar_t* drive_text, HICON icon,
                           const NativeDrivePromptCallbacks* callbacks, void* context) {
  if (!callbacks || !RegisterPromptClass()) return nullptr;
  HDC screen = GetDC(nullptr);
  const int caps = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  const UINT dpi = caps > 0 ? static_cast<UINT>(caps) : 96;
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  RECT outer = {0, 0, MulDiv(288, static_cast<int>(dpi), 96), MulDiv(92, static_cast<int>(dpi), 96)};
  AdjustWindowRectEx(&outer, style, FALSE, WS_EX_DLGMODALFRAME);
  auto* b = new PromptBinding{callbacks, context, NativeMessageFont(dpi), false};
  g_prompt_bound = false;
  HWND prompt =
      CreateWindowExW(WS_EX_DLGMODALFRAME, kPromptClass, L"", style, CW_USEDEFAULT, CW_USEDEFAULT,
                      outer.right - outer.left, outer.bottom - outer.top, owner, nullptr, GetModuleHandleW(nullptr), b);
  if (!prompt) {
    if (!g_prompt_bound) {
      if (b->font) DeleteObject(b->font);
      delete b;
    }
    return nullptr;
  }
  FillPrompt(prompt, drive_text, icon, b->font, dpi);
  ShowWindow(prompt, SW_SHOW);
  return prompt;
}

}  // namespace ui::win32
