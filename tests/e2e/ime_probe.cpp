// ime_probe.dll: hooked into Korvalinde's thread by the end-to-end tests (HookProbe in driver.h), since ImmGetContext
// answers only in the window's own thread and the messages a window is sent are seen only there.
#include "win32_helpers.h"  // windows.h first

#include <imm.h>

// Before a window handles kMenuColourMessage, its process takes the menu colour. Before it handles WM_NULL or
// WM_DESTROY, its root owner's InputContextProperty becomes 2 when the window has an input method context, 1 when it
// has none. Under Wine a flash of its caption (FlashWindowEx) is a WM_NCACTIVATE that names no other window: each
// one counts in its kFlashesProperty.
extern "C" __declspec(dllexport) LRESULT CALLBACK SeeInputContext(int code, WPARAM w, LPARAM l) {
  const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(l);
  const int menu = COLOR_MENU;
  const COLORREF colour = COLORREF(sent->wParam);
  if (code == HC_ACTION && sent->message == RegisterWindowMessageW(kv::kMenuColourMessage)) SetSysColors(1, &menu, &colour);
  if (code == HC_ACTION && (sent->message == WM_NULL || sent->message == WM_DESTROY)) {
    const HIMC context = ImmGetContext(sent->hwnd);
    ImmReleaseContext(sent->hwnd, context);
    const HWND owner = GetAncestor(sent->hwnd, GA_ROOTOWNER);
    SetPropW(owner, kv::InputContextProperty(sent->hwnd).c_str(), reinterpret_cast<HANDLE>(INT_PTR(context ? 2 : 1)));
  }
  if (code == HC_ACTION && sent->message == WM_NCACTIVATE && sent->lParam == 0) {
    const INT_PTR flashes = INT_PTR(GetPropW(sent->hwnd, kv::kFlashesProperty)) + 1;
    SetPropW(sent->hwnd, kv::kFlashesProperty, reinterpret_cast<HANDLE>(flashes));
  }
  return CallNextHookEx(nullptr, code, w, l);
}
