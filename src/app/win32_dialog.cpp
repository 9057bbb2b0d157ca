// The progress dialog as a Windows window: dialog template 102 built in
// memory, so that Windows lays it out in dialog units of its 8-point
// "MS Sans Serif" font exactly as it would a resource template. Plain Win32
// and the common controls' progress bar.
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "app/progress.h"
#include "app/terminal_dialog.h"  // MakeProgressDialog
#include "lib/platform.h"

namespace zeko {

namespace {

constexpr WORD kIconId = 128;
constexpr WORD kText1Id = 1000;
constexpr WORD kText2Id = 1001;
constexpr WORD kCountId = 1003;
constexpr WORD kNoId = 0xFFFF;  // labels and group boxes

// Pumping and repainting the count for every record would cost more than the
// conversion of a short record; a person sees no difference at this rate, and
// Cancel still takes effect between two records.
constexpr ULONGLONG kPumpIntervalMs = 30;

// Dialog template in memory: DLGTEMPLATE followed by its DLGITEMTEMPLATEs,
// each DWORD-aligned, strings as UTF-16 words.
class TemplateBuilder {
 public:
  void Dialog(DWORD style, DWORD exStyle, short cx, short cy, const std::wstring& caption,
              WORD pointSize, const wchar_t* font) {
    Dword(style);
    Dword(exStyle);
    countAt_ = words_.size();
    Word(0);  // number of items, counted by Item
    Word(0);  // x, y: centred (DS_CENTER)
    Word(0);
    Word(static_cast<WORD>(cx));
    Word(static_cast<WORD>(cy));
    Word(0);  // no menu
    Word(0);  // the dialog class
    String(caption.c_str());
    Word(pointSize);
    String(font);
  }

  // kind is a predefined class atom (0x0080 button, 0x0082 static) or 0 with
  // className set.
  void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD kind,
            const wchar_t* className, const wchar_t* text) {
    while (words_.size() % 2 != 0) Word(0);  // DWORD boundary
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(0);
    Word(static_cast<WORD>(x));
    Word(static_cast<WORD>(y));
    Word(static_cast<WORD>(cx));
    Word(static_cast<WORD>(cy));
    Word(id);
    if (kind != 0) {
      Word(0xFFFF);
      Word(kind);
    } else {
      String(className);
    }
    String(text);
    Word(0);  // no creation data
    ++words_[countAt_];
  }

  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void Word(WORD w) { words_.push_back(w); }
  void Dword(DWORD d) {
    Word(LOWORD(d));
    Word(HIWORD(d));
  }
  void String(const wchar_t* s) {
    for (; *s; ++s) Word(static_cast<WORD>(*s));
    Word(0);
  }

  std::vector<WORD> words_;  // WORD storage keeps the template WORD-aligned
  std::size_t countAt_ = 0;
};

constexpr WORD kButton = 0x0080;
constexpr WORD kStatic = 0x0082;

// Template 102 (207 x 141 dialog units).
void BuildTemplate102(TemplateBuilder& t) {
  t.Dialog(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER,
           WS_EX_APPWINDOW, 207, 141, WideText(CZekoDlg::kCaption), 8, L"MS Sans Serif");
  t.Item(BS_PUSHBUTTON | WS_TABSTOP, 85, 120, 50, 14, IDCANCEL, kButton, nullptr, L"Abbrechen");
  t.Item(SS_LEFT | WS_GROUP, 5, 5, 68, 8, kNoId, kStatic, nullptr, L"Übernahme in Datei :");
  t.Item(SS_LEFT | WS_GROUP, 5, 20, 20, 8, kNoId, kStatic, nullptr, L"Pfad :");
  // The run's texts are shown as they are: "&" is no mnemonic in them.
  t.Item(SS_LEFT | SS_SUNKEN | SS_NOPREFIX | WS_GROUP, 80, 5, 120, 8, kText1Id, kStatic, nullptr,
         L"");
  t.Item(SS_LEFT | SS_SUNKEN | SS_NOPREFIX | WS_GROUP, 80, 20, 120, 8, kText2Id, kStatic, nullptr,
         L"");
  t.Item(SS_LEFT | WS_GROUP, 5, 35, 42, 8, kNoId, kStatic, nullptr, L"Anzahl Sätze");
  t.Item(SS_RIGHT | SS_SUNKEN | WS_GROUP, 80, 35, 30, 8, kCountId, kStatic, nullptr, L"");
  t.Item(BS_GROUPBOX, 5, 55, 195, 25, kNoId, kButton, nullptr, L"Vorsortierung");
  t.Item(WS_BORDER, 10, 65, 185, 10, CZekoDlg::kPresortBar, 0, PROGRESS_CLASSW, L"");
  t.Item(BS_GROUPBOX, 5, 85, 195, 25, kNoId, kButton, nullptr, L"Übernahme");
  t.Item(WS_BORDER, 10, 95, 185, 10, CZekoDlg::kConversionBar, 0, PROGRESS_CLASSW, L"");
}

class Win32Dialog final : public CZekoDlg {
 public:
  Win32Dialog() : instance_(GetModuleHandleW(nullptr)) {
    icon_ = LoadIconW(instance_, MAKEINTRESOURCEW(kIconId));
  }
  ~Win32Dialog() override {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  Win32Dialog(const Win32Dialog&) = delete;
  Win32Dialog& operator=(const Win32Dialog&) = delete;

 protected:
  void DoShow(const std::string& text1, const std::string& text2, bool cancelEnabled) override {
    if (!hwnd_ && !Create()) return;  // no window station: the run goes on without a window
    DoSetTexts(text1, text2);
    EnableWindow(GetDlgItem(hwnd_, IDCANCEL), cancelEnabled ? TRUE : FALSE);
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
  }

  void DoSetTexts(const std::string& text1, const std::string& text2) override {
    if (!hwnd_) return;
    SetDlgItemTextW(hwnd_, kText1Id, WideText(text1).c_str());
    text2_ = text2;
    SetDlgItemTextW(hwnd_, kText2Id, WideText(waitingFor().empty() ? text2 : WaitingText()).c_str());
  }

  // The count is shown when messages are next pumped (see kPumpIntervalMs).
  void DoSetCount(int count) override {
    count_ = count;
    countDirty_ = true;
  }

  void DoSetBar(Bar bar, int percent) override {
    if (hwnd_) SendDlgItemMessageW(hwnd_, bar, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
  }

  int DoPump() override {
    if (!hwnd_) return 1;
    const ULONGLONG now = GetTickCount64();
    if (pumped_ && now - lastPump_ < kPumpIntervalMs) return 1;
    pumped_ = true;
    lastPump_ = now;
    if (countDirty_) {
      countDirty_ = false;
      wchar_t text[16];
      std::swprintf(text, sizeof text / sizeof text[0], L"%d", count_);
      SetDlgItemTextW(hwnd_, kCountId, text);
    }
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!GetMessageW(&msg, nullptr, 0, 0)) {
        // The application is to quit: leave the quit message for whoever
        // runs the next loop.
        PostQuitMessage(static_cast<int>(msg.wParam));
        return 0;
      }
      if (!hwnd_ || !IsDialogMessageW(hwnd_, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
    return 1;
  }

  void DoShowWaiting() override {
    if (!hwnd_) return;
    // Said where the output's path stands (the template has no line of its
    // own for it), and the path is back once the wait is over.
    SetDlgItemTextW(hwnd_, kText2Id, WideText(waitingFor().empty() ? text2_ : WaitingText()).c_str());
    // Drawn at once: while it waits the run does not pump often.
    UpdateWindow(hwnd_);
  }

  std::string WaitingText() const { return kWaitingLabel + waitingFor(); }

  // The run's WM_CLOSE; the window goes away once it is handled.
  void DoClose() override {
    if (!hwnd_) return;
    closing_ = true;
    SendMessageW(hwnd_, WM_CLOSE, 0, 0);
  }

 private:
  bool Create() {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    TemplateBuilder t;
    BuildTemplate102(t);
    hwnd_ = CreateDialogIndirectParamW(instance_, t.Get(), nullptr, &Win32Dialog::DialogProc,
                                       reinterpret_cast<LPARAM>(this));
    return hwnd_ != nullptr;
  }

  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
      SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
      auto* self = reinterpret_cast<Win32Dialog*>(lParam);
      self->hwnd_ = hwnd;
      return self->OnInitDialog();
    }
    auto* self = reinterpret_cast<Win32Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    return self ? self->Handle(message, wParam, lParam) : FALSE;
  }

  INT_PTR OnInitDialog() {
    if (icon_) {
      SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
      SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    }
    return TRUE;
  }

  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
      case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) {
          // The Cancel button, Esc or the close box: the run stops before
          // its next record; the window goes out of sight at once.
          if (!cancelEnabled()) return TRUE;
          OnCancel();
          EndDialog(hwnd_, IDCANCEL);
          return TRUE;
        }
        return FALSE;
      case WM_CLOSE:
        if (closing_) {
          DestroyWindow(hwnd_);
          return TRUE;
        }
        return FALSE;  // the close box: Windows turns it into IDCANCEL
      case WM_DESTROY:
        SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
        hwnd_ = nullptr;
        return TRUE;
      case WM_PAINT: return IsIconic(hwnd_) ? PaintIcon() : FALSE;
      case WM_QUERYDRAGICON: return reinterpret_cast<INT_PTR>(icon_);
      default: return FALSE;
    }
  }

  // Minimised: the icon centred in the client area.
  INT_PTR PaintIcon() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    SendMessageW(hwnd_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT rect;
    GetClientRect(hwnd_, &rect);
    const int x = (rect.right - rect.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (rect.bottom - rect.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    if (icon_) DrawIcon(dc, x, y, icon_);
    EndPaint(hwnd_, &ps);
    return TRUE;
  }

  HINSTANCE instance_;
  HICON icon_ = nullptr;
  HWND hwnd_ = nullptr;
  bool closing_ = false;
  int count_ = 0;
  bool countDirty_ = false;
  bool pumped_ = false;
  ULONGLONG lastPump_ = 0;
  std::string text2_;
};

}  // namespace

// "/NOGUI" runs without any window: the dialog that shows nothing.
std::unique_ptr<CZekoDlg> MakeProgressDialog() {
  if (NoGui()) return std::make_unique<CZekoDlg>();
  return std::make_unique<Win32Dialog>();
}

}  // namespace zeko
