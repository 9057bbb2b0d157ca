/* Checks zeko.exe's progress dialog from outside, as a user sees it: starts
 * a conversion of a large input with its window, finds the dialog by its
 * caption, reads its controls while the run counts, presses "Abbrechen" and
 * checks what the cancelled run leaves behind.
 *
 *   dialog_probe ZEKO_EXE WORK_DIR RECORDS
 *
 * WORK_DIR holds fibconf (DATAX into DATAX.DAT), the input INPUT.$TM of
 * RECORDS bookings, and DATAX.DAT as an earlier run left it. WORK_DIR is
 * also the run's temporary directory. After Cancel the run has failed: exit
 * code 1, DATAX.DAT as before the run, the input file unchanged, no other
 * file left behind. Prints one line per check; exits 0 when all passed. */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <commctrl.h>

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#define CAPTION L"Q.V.T-System 08/4 FIBU-Konverter"

static int failures;

static void Check(int ok, const char* format, ...) {
  va_list args;
  va_start(args, format);
  printf(ok ? "ok    " : "FAIL  ");
  vprintf(format, args);
  printf("\n");
  fflush(stdout);
  va_end(args);
  if (!ok) ++failures;
}

static const char* Utf8(const wchar_t* text) {
  static char buffers[4][1024];
  static int next;
  char* out = buffers[next++ % 4];
  if (!WideCharToMultiByte(CP_UTF8, 0, text, -1, out, 1024, NULL, NULL)) out[0] = 0;
  return out;
}

typedef struct {
  char* data;
  long size; /* -1: the file does not exist */
} Bytes;

static Bytes ReadAll(const wchar_t* dir, const wchar_t* name) {
  wchar_t path[MAX_PATH];
  Bytes b = {NULL, -1};
  FILE* f;
  swprintf(path, MAX_PATH, L"%ls\\%ls", dir, name);
  f = _wfopen(path, L"rb");
  if (!f) return b;
  fseek(f, 0, SEEK_END);
  b.size = ftell(f);
  fseek(f, 0, SEEK_SET);
  b.data = malloc((size_t)b.size + 1);
  if (fread(b.data, 1, (size_t)b.size, f) != (size_t)b.size) b.size = -2;
  fclose(f);
  return b;
}

static int SameBytes(Bytes a, Bytes b) {
  return a.size >= 0 && a.size == b.size && memcmp(a.data, b.data, (size_t)a.size) == 0;
}

/* The files of the work directory other than those named. */
static int OtherFiles(const wchar_t* dir, const wchar_t* const* known, int knownCount, wchar_t* first) {
  wchar_t pattern[MAX_PATH];
  WIN32_FIND_DATAW found;
  HANDLE h;
  int count = 0;
  swprintf(pattern, MAX_PATH, L"%ls\\*", dir);
  h = FindFirstFileW(pattern, &found);
  if (h == INVALID_HANDLE_VALUE) return 0;
  do {
    int i, isKnown = wcscmp(found.cFileName, L".") == 0 || wcscmp(found.cFileName, L"..") == 0;
    for (i = 0; i < knownCount && !isKnown; ++i) isKnown = _wcsicmp(found.cFileName, known[i]) == 0;
    if (!isKnown && count++ == 0) wcscpy(first, found.cFileName);
  } while (FindNextFileW(h, &found));
  FindClose(h);
  return count;
}

/* One control of the dialog as EnumChildWindows lists it. */
typedef struct {
  int id;
  wchar_t cls[64];
  wchar_t text[256];
  HWND hwnd;
} Control;

typedef struct {
  Control items[32];
  int count;
} Controls;

static BOOL CALLBACK AddControl(HWND hwnd, LPARAM param) {
  Controls* list = (Controls*)param;
  Control* c;
  if (list->count >= 32) return FALSE;
  c = &list->items[list->count++];
  c->hwnd = hwnd;
  c->id = GetDlgCtrlID(hwnd);
  GetClassNameW(hwnd, c->cls, 64);
  GetWindowTextW(hwnd, c->text, 256);
  return TRUE;
}

static Controls List(HWND dialog) {
  Controls list;
  list.count = 0;
  EnumChildWindows(dialog, AddControl, (LPARAM)&list);
  return list;
}

static const Control* WithText(const Controls* list, const wchar_t* text) {
  int i;
  for (i = 0; i < list->count; ++i)
    if (wcscmp(list->items[i].text, text) == 0) return &list->items[i];
  return NULL;
}

static const Control* WithId(const Controls* list, int id) {
  int i;
  for (i = 0; i < list->count; ++i)
    if (list->items[i].id == id) return &list->items[i];
  return NULL;
}

static int Count(HWND dialog) {
  wchar_t text[32] = L"";
  GetWindowTextW(GetDlgItem(dialog, 1003), text, 32);
  return _wtoi(text);
}

static int BarPosition(HWND dialog, int id) {
  DWORD_PTR pos = 0;
  if (!SendMessageTimeoutW(GetDlgItem(dialog, id), PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 5000, &pos)) return -1;
  return (int)pos;
}

typedef struct {
  DWORD pid;
  HWND dialog;
  HWND found;
} Search;

/* A top-level window of the converter other than its progress dialog: a
 * message box. */
static BOOL CALLBACK FindOther(HWND hwnd, LPARAM param) {
  Search* s = (Search*)param;
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == s->pid && hwnd != s->dialog && IsWindowVisible(hwnd)) {
    s->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

static BOOL CALLBACK AddText(HWND hwnd, LPARAM param) {
  wchar_t text[256];
  GetWindowTextW(hwnd, text, 256);
  if (text[0]) {
    wcsncat((wchar_t*)param, L" | ", 1023 - wcslen((wchar_t*)param));
    wcsncat((wchar_t*)param, text, 1023 - wcslen((wchar_t*)param));
  }
  return TRUE;
}

/* Waits for the process to end; a message box that it shows meanwhile is
 * reported and answered, so that it cannot hold the run. */
static DWORD WaitForEnd(PROCESS_INFORMATION* pi, HWND dialog, DWORD ms) {
  DWORD waited = 0, code = STILL_ACTIVE;
  while (WaitForSingleObject(pi->hProcess, 50) == WAIT_TIMEOUT) {
    Search s = {pi->dwProcessId, dialog, NULL};
    EnumWindows(FindOther, (LPARAM)&s);
    if (s.found) {
      wchar_t texts[1024] = L"";
      EnumChildWindows(s.found, AddText, (LPARAM)texts);
      printf("note  message box:%s\n", Utf8(texts));
      PostMessageW(s.found, WM_COMMAND, IDOK, 0);
      PostMessageW(s.found, WM_CLOSE, 0, 0);
    }
    waited += 50;
    if (waited > ms) {
      TerminateProcess(pi->hProcess, 99);
      WaitForSingleObject(pi->hProcess, 5000);
      return STILL_ACTIVE;
    }
  }
  GetExitCodeProcess(pi->hProcess, &code);
  return code;
}

int wmain(int argc, wchar_t** argv) {
  const wchar_t* exe;
  const wchar_t* dir;
  int records, i, seen = 0, lastSeen = 0, clickedAt, others;
  wchar_t command[2 * MAX_PATH];
  STARTUPINFOW si;
  PROCESS_INFORMATION pi;
  HWND dialog = NULL;
  Controls list;
  const Control* c;
  Bytes inputBefore, outputBefore, input, output;
  DWORD code, started;

  if (argc < 4) {
    fprintf(stderr, "usage: dialog_probe ZEKO_EXE WORK_DIR RECORDS\n");
    return 2;
  }
  exe = argv[1];
  dir = argv[2];
  records = _wtoi(argv[3]);
  inputBefore = ReadAll(dir, L"INPUT.$TM");
  outputBefore = ReadAll(dir, L"DATAX.DAT");
  if (inputBefore.size <= 0 || outputBefore.size < 0) {
    fprintf(stderr, "WORK_DIR needs INPUT.$TM and DATAX.DAT\n");
    return 2;
  }

  /* The run finds its input in its temporary directory. */
  SetEnvironmentVariableW(L"TEMP", dir);
  SetEnvironmentVariableW(L"TMP", dir);
  swprintf(command, 2 * MAX_PATH, L"\"%ls\" /CONFIG:fibconf /TEMP:INPUT", exe);
  memset(&si, 0, sizeof si);
  si.cb = sizeof si;
  if (!CreateProcessW(NULL, command, NULL, NULL, FALSE, 0, NULL, dir, &si, &pi)) {
    fprintf(stderr, "cannot start %s (%lu)\n", Utf8(exe), GetLastError());
    return 2;
  }
  started = GetTickCount();

  /* The dialog by its caption, once it counts. */
  while (GetTickCount() - started < 60000) {
    HWND w = FindWindowW(NULL, CAPTION);
    if (w) {
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      if (pid == pi.dwProcessId) dialog = w;
    }
    if (dialog && Count(dialog) > 0) break;
    if (WaitForSingleObject(pi.hProcess, 5) == WAIT_OBJECT_0) break;
  }
  Check(dialog != NULL, "dialog \"%s\" found by its caption", Utf8(CAPTION));
  if (!dialog) {
    TerminateProcess(pi.hProcess, 99);
    return 1;
  }
  list = List(dialog);
  Check(list.count == 11, "dialog has 11 controls (%d)", list.count);
  {
    static const wchar_t* const labels[] = {L"Übernahme in Datei :", L"Pfad :", L"Anzahl Sätze",
                                            L"Vorsortierung", L"Übernahme"};
    for (i = 0; i < 5; ++i) Check(WithText(&list, labels[i]) != NULL, "label \"%s\"", Utf8(labels[i]));
  }
  c = WithId(&list, 1000);
  Check(c && wcscmp(c->text, L"Rechnungsausgang") == 0, "control 1000 names the data type (\"%s\")",
        c ? Utf8(c->text) : "");
  c = WithId(&list, 1001);
  Check(c && wcsstr(c->text, L"DATAX.DAT") != NULL, "control 1001 names the output (\"%s\")",
        c ? Utf8(c->text) : "");
  c = WithId(&list, IDCANCEL);
  Check(c && _wcsicmp(c->cls, L"Button") == 0 && wcscmp(c->text, L"Abbrechen") == 0 && IsWindowEnabled(c->hwnd),
        "button \"Abbrechen\" (id 2) enabled");
  for (i = 0; i < 2; ++i) {
    const int id = i == 0 ? 1002 : 1005;
    c = WithId(&list, id);
    Check(c && _wcsicmp(c->cls, PROGRESS_CLASSW) == 0, "progress bar %d (%s)", id, c ? Utf8(c->cls) : "missing");
  }
  Check(BarPosition(dialog, 1002) == 0, "presort bar empty without presort (%d)", BarPosition(dialog, 1002));

  /* The count runs and the conversion bar moves. */
  seen = Count(dialog);
  for (i = 0; i < 200 && (Count(dialog) <= seen || BarPosition(dialog, 1005) < 1); ++i) Sleep(20);
  lastSeen = Count(dialog);
  Check(seen > 0 && lastSeen > seen, "record count runs (%d, then %d)", seen, lastSeen);
  i = BarPosition(dialog, 1005);
  Check(i >= 1 && i <= 99, "conversion bar at %d %%", i);

  /* Cancel. */
  c = WithId(&list, IDCANCEL);
  clickedAt = Count(dialog);
  SendMessageTimeoutW(c->hwnd, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, NULL);
  code = WaitForEnd(&pi, dialog, 60000);
  Check(code != STILL_ACTIVE, "run ended after Cancel");
  Check(clickedAt < records, "Cancel pressed at record %d of %d", clickedAt, records);

  input = ReadAll(dir, L"INPUT.$TM");
  output = ReadAll(dir, L"DATAX.DAT");
  {
    /* ZEKO.LOG: the run protocol keeps the cancelled run. */
    static const wchar_t* const known[] = {L"fibconf", L"INPUT.$TM", L"DATAX.DAT", L"ZEKO.LOG"};
    wchar_t other[MAX_PATH] = L"";
    others = OtherFiles(dir, known, 4, other);
    Check(code == 1, "exit code 1 (%lu)", code);
    Check(SameBytes(output, outputBefore), "DATAX.DAT as before the run (%ld bytes, before %ld)", output.size,
          outputBefore.size);
    Check(SameBytes(input, inputBefore), "input file kept unchanged");
    Check(others == 0, "no other file left behind (%d, %s)", others, Utf8(other));
  }
  printf("%d checks failed\n", failures);
  return failures ? 1 : 0;
}
