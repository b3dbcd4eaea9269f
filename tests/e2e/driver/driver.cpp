// vqx460-driver: drives the running settings tool from outside, the way a
// person at the keyboard would, for the end-to-end suite.
//
// It reads one command per line (UTF-8) from standard input and answers each
// with exactly one line: "OK ..." or "ERR <reason>". Keeping one process for
// a whole run avoids paying Wine's start-up for every step. Arguments are
// separated by blanks; a "quoted argument" may hold blanks, \" and \\.
// Commands given on the command line run first, one per argument.
//
// Windows are named by handle (0x... as printed) or found by class and
// caption. Clicks are posted, never sent, because a button that opens a
// modal box does not return until the box is closed.

// <windows.h> comes before the other system headers, which need its types.
#include <windows.h>
// The common-controls and shell headers build on it.
#include <commctrl.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

// The static control holding a message box's text.
constexpr int kMessageBoxTextId = 0xFFFF;
constexpr UINT kSendTimeoutMs = 5000;

std::wstring Widen(const std::string& text) {
  if (text.empty()) return {};
  int length = MultiByteToWideChar(CP_UTF8, 0, text.data(),
                                   static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                      wide.data(), length);
  return wide;
}

std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) return {};
  int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(),
                                   static_cast<int>(wide.size()), nullptr, 0,
                                   nullptr, nullptr);
  std::string text(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                      text.data(), length, nullptr, nullptr);
  return text;
}

// Quotes a text for the answer line so the reader can split it back.
std::string Quote(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    switch (c) {
      case '"':
        quoted += "\\\"";
        break;
      case '\\':
        quoted += "\\\\";
        break;
      case '\r':
        quoted += "\\r";
        break;
      case '\n':
        quoted += "\\n";
        break;
      default:
        quoted += c;
    }
  }
  return quoted + "\"";
}

std::optional<std::vector<std::string>> SplitArguments(
    const std::string& line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (true) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' ||
                               line[i] == '\r' || line[i] == '\n')) {
      ++i;
    }
    if (i >= line.size()) break;
    std::string word;
    if (line[i] == '"') {
      ++i;
      bool closed = false;
      while (i < line.size()) {
        char c = line[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c == '\\' && i < line.size()) {
          char e = line[i++];
          word += e == 'n' ? '\n' : e == 'r' ? '\r' : e;
        } else {
          word += c;
        }
      }
      if (!closed) return std::nullopt;
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' &&
             line[i] != '\r' && line[i] != '\n') {
        word += line[i++];
      }
    }
    words.push_back(word);
  }
  return words;
}

struct CommandError {
  std::string reason;
};

long long ParseNumber(const std::string& text) {
  if (text.empty()) throw CommandError{"empty number"};
  char* end = nullptr;
  long long value = std::strtoll(text.c_str(), &end, 0);
  if (*end != '\0') throw CommandError{"not a number: " + text};
  return value;
}

HWND ParseWindow(const std::string& text) {
  auto hwnd = reinterpret_cast<HWND>(
      static_cast<uintptr_t>(std::strtoull(text.c_str(), nullptr, 0)));
  if (!IsWindow(hwnd)) throw CommandError{"no window " + text};
  return hwnd;
}

std::string FormatWindow(HWND hwnd) {
  char buffer[32];
  std::snprintf(
      buffer, sizeof buffer, "0x%llx",
      static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(hwnd)));
  return buffer;
}

std::wstring WindowText(HWND hwnd) {
  // WM_GETTEXT is copied between processes by the system; GetWindowText
  // would not ask another process's controls.
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG,
                           kSendTimeoutMs, &length)) {
    throw CommandError{"window does not answer WM_GETTEXTLENGTH"};
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(),
                      reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                      kSendTimeoutMs, &copied);
  text.resize(copied);
  return text;
}

std::wstring ClassName(HWND hwnd) {
  wchar_t name[256] = {};
  GetClassNameW(hwnd, name, 256);
  return name;
}

HWND Control(HWND dialog, const std::string& id) {
  HWND control = GetDlgItem(dialog, static_cast<int>(ParseNumber(id)));
  if (!control) throw CommandError{"no control " + id};
  return control;
}

LRESULT Send(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(hwnd, message, wparam, lparam, SMTO_ABORTIFHUNG,
                           kSendTimeoutMs, &result)) {
    throw CommandError{"window does not answer"};
  }
  return static_cast<LRESULT>(result);
}

// Memory in the program's own process, for control messages whose pointer
// arguments the system does not copy between processes (the status bar's,
// which are above WM_USER).
class RemoteBuffer {
 public:
  RemoteBuffer(HWND owner, size_t bytes) : bytes_(bytes) {
    DWORD pid = 0;
    GetWindowThreadProcessId(owner, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ |
                               PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION,
                           FALSE, pid);
    if (!process_) throw CommandError{"cannot open the window's process"};
    address_ = VirtualAllocEx(process_, nullptr, bytes,
                              MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!address_) {
      CloseHandle(process_);
      throw CommandError{"cannot allocate in the window's process"};
    }
  }
  ~RemoteBuffer() {
    VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    CloseHandle(process_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  LPARAM address() const { return reinterpret_cast<LPARAM>(address_); }

  std::wstring ReadText() const {
    std::wstring text(bytes_ / sizeof(wchar_t), L'\0');
    SIZE_T read = 0;
    if (!ReadProcessMemory(process_, address_, text.data(), bytes_, &read)) {
      throw CommandError{"cannot read the window's process"};
    }
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
  }

 private:
  size_t bytes_;
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
};

struct WindowQuery {
  std::wstring class_name;  // empty: any
  std::wstring caption;     // compared whole
  bool any_caption = false;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lparam) {
  auto* query = reinterpret_cast<WindowQuery*>(lparam);
  if (!IsWindowVisible(hwnd)) return TRUE;
  if (!query->class_name.empty() && ClassName(hwnd) != query->class_name) {
    return TRUE;
  }
  if (!query->any_caption) {
    // Top-level captions are kept by the system; no need to ask the window.
    wchar_t caption[512] = {};
    InternalGetWindowText(hwnd, caption, 512);
    if (query->caption != caption) return TRUE;
  }
  query->found.push_back(hwnd);
  return TRUE;
}

// Top-level windows in Z order, owned and task-modal boxes included.
std::vector<HWND> FindWindows(const std::string& class_name,
                              const std::string& caption) {
  WindowQuery query;
  if (class_name != "-") query.class_name = Widen(class_name);
  query.any_caption = caption == "-";
  query.caption = Widen(caption);
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

HWND WaitForWindow(const std::string& class_name, const std::string& caption,
                   DWORD timeout_ms) {
  DWORD start = GetTickCount();
  while (true) {
    auto found = FindWindows(class_name, caption);
    if (!found.empty()) return found.front();
    if (GetTickCount() - start >= timeout_ms) {
      throw CommandError{"timeout waiting for window " + Quote(caption)};
    }
    Sleep(20);
  }
}

std::wstring MessageBoxText(HWND box) {
  if (HWND text = GetDlgItem(box, kMessageBoxTextId)) return WindowText(text);
  return {};
}

std::string ProcessInfoLine(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  wchar_t caption[512] = {};
  InternalGetWindowText(hwnd, caption, 512);
  return FormatWindow(hwnd) + " pid=" + std::to_string(pid) +
         " class=" + Quote(Narrow(ClassName(hwnd))) +
         " caption=" + Quote(Narrow(caption)) +
         (IsWindowEnabled(hwnd) ? "" : " disabled");
}

class Driver {
 public:
  Driver() {
    handlers_ = {
        {"ping", [](auto&) { return std::string(); }},
        {"sleep",
         [](auto& a) {
           Need(a, 1);
           Sleep(static_cast<DWORD>(ParseNumber(a[0])));
           return std::string();
         }},
        // find CLASS|- CAPTION|- [TIMEOUT_MS] -> handle
        {"find",
         [](auto& a) {
           Need(a, 2);
           DWORD timeout = a.size() > 2 ? ParseNumber(a[2]) : 0;
           return FormatWindow(WaitForWindow(a[0], a[1], timeout));
         }},
        // count CLASS|- CAPTION|- -> number of visible top-level windows
        {"count",
         [](auto& a) {
           Need(a, 2);
           return std::to_string(FindWindows(a[0], a[1]).size());
         }},
        // box CAPTION TIMEOUT_MS -> handle "text" of a message box
        {"box",
         [](auto& a) {
           Need(a, 2);
           HWND box = WaitForWindow("#32770", a[0], ParseNumber(a[1]));
           // The text control is filled while the box initialises.
           Sleep(50);
           return FormatWindow(box) + " " + Quote(Narrow(MessageBoxText(box)));
         }},
        // no-box CAPTION MS -> OK when no such window shows within MS
        {"no-box",
         [](auto& a) {
           Need(a, 2);
           DWORD start = GetTickCount();
           DWORD timeout = ParseNumber(a[1]);
           do {
             auto found = FindWindows("#32770", a[0]);
             if (!found.empty()) {
               throw CommandError{"unexpected box " +
                                  Quote(Narrow(MessageBoxText(found.front())))};
             }
             Sleep(20);
           } while (GetTickCount() - start < timeout);
           return std::string();
         }},
        // list [CLASS] -> every visible top-level window: handle, process,
        // class, caption
        {"list",
         [](auto& a) {
           std::string line;
           for (HWND hwnd : FindWindows(a.empty() ? "-" : a[0], "-")) {
             line += (line.empty() ? "" : " | ") + ProcessInfoLine(hwnd);
           }
           return line;
         }},
        // gone HWND TIMEOUT_MS -> OK once the window is destroyed or hidden
        {"gone",
         [](auto& a) {
           Need(a, 2);
           auto hwnd = reinterpret_cast<HWND>(
               static_cast<uintptr_t>(std::strtoull(a[0].c_str(), nullptr, 0)));
           DWORD start = GetTickCount();
           DWORD timeout = ParseNumber(a[1]);
           while (IsWindow(hwnd) && IsWindowVisible(hwnd)) {
             if (GetTickCount() - start >= timeout) {
               throw CommandError{"window still there"};
             }
             Sleep(20);
           }
           return std::string();
         }},
        // text HWND [ID] -> "window text"
        {"text",
         [](auto& a) {
           Need(a, 1);
           HWND hwnd = ParseWindow(a[0]);
           if (a.size() > 1) hwnd = Control(hwnd, a[1]);
           return Quote(Narrow(WindowText(hwnd)));
         }},
        // box-text HWND -> "text" of a message box
        {"box-text",
         [](auto& a) {
           Need(a, 1);
           return Quote(Narrow(MessageBoxText(ParseWindow(a[0]))));
         }},
        // menu HWND COMMAND_ID: a menu or toolbar command to a window
        {"menu",
         [](auto& a) {
           Need(a, 2);
           PostMessageW(ParseWindow(a[0]), WM_COMMAND,
                        MAKEWPARAM(ParseNumber(a[1]), 0), 0);
           return std::string();
         }},
        // context HWND X Y: a context-menu request at screen position X, Y
        {"context",
         [](auto& a) {
           Need(a, 3);
           const auto x = static_cast<short>(ParseNumber(a[1]));
           const auto y = static_cast<short>(ParseNumber(a[2]));
           PostMessageW(ParseWindow(a[0]), WM_CONTEXTMENU,
                        reinterpret_cast<WPARAM>(ParseWindow(a[0])),
                        MAKELPARAM(x, y));
           return std::string();
         }},
        // children HWND -> id:class:"text" of every descendant window
        {"children",
         [](auto& a) {
           Need(a, 1);
           std::string line;
           EnumChildWindows(
               ParseWindow(a[0]),
               [](HWND child, LPARAM out) -> BOOL {
                 auto& text = *reinterpret_cast<std::string*>(out);
                 if (!text.empty()) text += ' ';
                 text += std::to_string(GetDlgCtrlID(child)) + ":" +
                         Narrow(ClassName(child)) + ":" +
                         Quote(Narrow(WindowText(child)));
                 return TRUE;
               },
               reinterpret_cast<LPARAM>(&line));
           return line;
         }},
        // command HWND ID: WM_COMMAND BN_CLICKED from control ID to HWND
        {"command",
         [](auto& a) {
           Need(a, 2);
           HWND dialog = ParseWindow(a[0]);
           int id = static_cast<int>(ParseNumber(a[1]));
           PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
           return std::string();
         }},
        // click HWND ID: press a button of a dialog the way a mouse does
        {"click",
         [](auto& a) {
           Need(a, 2);
           HWND button = Control(ParseWindow(a[0]), a[1]);
           if (!IsWindowEnabled(button)) throw CommandError{"button disabled"};
           PostMessageW(button, BM_CLICK, 0, 0);
           return std::string();
         }},
        // select HWND ID INDEX: choose a combo item and tell the dialog, as
        // the combo does when the user picks an item
        {"select",
         [](auto& a) {
           Need(a, 3);
           HWND dialog = ParseWindow(a[0]);
           HWND combo = Control(dialog, a[1]);
           auto index = static_cast<WPARAM>(ParseNumber(a[2]));
           if (Send(combo, CB_SETCURSEL, index, 0) == CB_ERR &&
               index != static_cast<WPARAM>(-1)) {
             throw CommandError{"no item " + a[2]};
           }
           Send(dialog, WM_COMMAND,
                MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                reinterpret_cast<LPARAM>(combo));
           return std::string();
         }},
        // selected HWND ID -> index (-1 when none)
        {"selected",
         [](auto& a) {
           Need(a, 2);
           return std::to_string(
               Send(Control(ParseWindow(a[0]), a[1]), CB_GETCURSEL, 0, 0));
         }},
        // items HWND ID -> "item" "item" ...
        {"items",
         [](auto& a) {
           Need(a, 2);
           HWND combo = Control(ParseWindow(a[0]), a[1]);
           LRESULT count = Send(combo, CB_GETCOUNT, 0, 0);
           std::string line = std::to_string(count);
           for (LRESULT i = 0; i < count; ++i) {
             // The system copies item texts between processes, as for
             // WM_GETTEXT.
             LRESULT length = Send(combo, CB_GETLBTEXTLEN, i, 0);
             if (length < 0) throw CommandError{"no item text"};
             std::wstring item(static_cast<size_t>(length) + 1, L'\0');
             Send(combo, CB_GETLBTEXT, i,
                  reinterpret_cast<LPARAM>(item.data()));
             item.resize(wcsnlen(item.c_str(), item.size()));
             line += ' ';
             line += Quote(Narrow(item));
           }
           return line;
         }},
        // lines HWND ID -> count "line" "line" ... of a list box
        {"lines",
         [](auto& a) {
           Need(a, 2);
           HWND list = Control(ParseWindow(a[0]), a[1]);
           LRESULT count = Send(list, LB_GETCOUNT, 0, 0);
           std::string line = std::to_string(count);
           for (LRESULT i = 0; i < count; ++i) {
             LRESULT length = Send(list, LB_GETTEXTLEN, i, 0);
             if (length < 0) throw CommandError{"no line text"};
             std::wstring item(static_cast<size_t>(length) + 1, L'\0');
             Send(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data()));
             item.resize(wcsnlen(item.c_str(), item.size()));
             line += ' ';
             line += Quote(Narrow(item));
           }
           return line;
         }},
        // choose HWND ID INDEX: pick a list box line and tell the dialog
        {"choose",
         [](auto& a) {
           Need(a, 3);
           HWND dialog = ParseWindow(a[0]);
           HWND list = Control(dialog, a[1]);
           auto index = static_cast<WPARAM>(ParseNumber(a[2]));
           if (Send(list, LB_SETCURSEL, index, 0) == LB_ERR) {
             throw CommandError{"no line " + a[2]};
           }
           Send(dialog, WM_COMMAND,
                MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE),
                reinterpret_cast<LPARAM>(list));
           return std::string();
         }},
        // set-text HWND ID TEXT: type into an edit control
        {"set-text",
         [](auto& a) {
           Need(a, 3);
           HWND dialog = ParseWindow(a[0]);
           HWND edit = Control(dialog, a[1]);
           std::wstring text = Widen(a[2]);
           Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
           // A single-line edit reports the change itself; sending it once
           // more makes the step independent of that and is harmless, the
           // dialog copies the text again.
           Send(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(edit), EN_CHANGE),
                reinterpret_cast<LPARAM>(edit));
           return std::string();
         }},
        // enabled HWND [ID] -> 1 or 0
        {"enabled",
         [](auto& a) {
           Need(a, 1);
           HWND hwnd = ParseWindow(a[0]);
           if (a.size() > 1) hwnd = Control(hwnd, a[1]);
           return std::string(IsWindowEnabled(hwnd) ? "1" : "0");
         }},
        // progress HWND ID -> the position of a progress bar
        {"progress",
         [](auto& a) {
           Need(a, 2);
           return std::to_string(
               Send(Control(ParseWindow(a[0]), a[1]), PBM_GETPOS, 0, 0));
         }},
        // checked HWND ID -> 1 or 0, the state of a check box
        {"checked",
         [](auto& a) {
           Need(a, 2);
           return std::string(Send(Control(ParseWindow(a[0]), a[1]),
                                   BM_GETCHECK, 0, 0) == BST_CHECKED
                                  ? "1"
                                  : "0");
         }},
        // status HWND ID PART -> "text" of a status bar part
        {"status",
         [](auto& a) {
           Need(a, 3);
           HWND bar = Control(ParseWindow(a[0]), a[1]);
           auto part = static_cast<WPARAM>(ParseNumber(a[2]));
           auto length = LOWORD(Send(bar, SB_GETTEXTLENGTHW, part, 0));
           RemoteBuffer buffer(bar, (length + 1) * sizeof(wchar_t));
           Send(bar, SB_GETTEXTW, part, buffer.address());
           return Quote(Narrow(buffer.ReadText()));
         }},
        // rect HWND -> left top width height, in screen pixels
        {"rect",
         [](auto& a) {
           Need(a, 1);
           RECT r{};
           GetWindowRect(ParseWindow(a[0]), &r);
           return std::to_string(r.left) + " " + std::to_string(r.top) + " " +
                  std::to_string(r.right - r.left) + " " +
                  std::to_string(r.bottom - r.top);
         }},
        // close HWND: the close box
        {"close",
         [](auto& a) {
           Need(a, 1);
           PostMessageW(ParseWindow(a[0]), WM_CLOSE, 0, 0);
           return std::string();
         }},
        // front HWND: bring a window to the front (for screenshots)
        {"front",
         [](auto& a) {
           Need(a, 1);
           HWND hwnd = ParseWindow(a[0]);
           SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0,
                        SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
           SetForegroundWindow(hwnd);
           return std::string();
         }},
        // pid HWND -> process id of the window's owner
        {"pid",
         [](auto& a) {
           Need(a, 1);
           DWORD pid = 0;
           GetWindowThreadProcessId(ParseWindow(a[0]), &pid);
           return std::to_string(pid);
         }},
        // start COMMAND_LINE -> process id; the process is remembered so
        // that exit can report its exit code
        {"start",
         [this](auto& a) {
           Need(a, 1);
           std::wstring command_line = Widen(a[0]);
           STARTUPINFOW startup{};
           startup.cb = sizeof startup;
           PROCESS_INFORMATION info{};
           if (!CreateProcessW(nullptr, command_line.data(), nullptr, nullptr,
                               FALSE, 0, nullptr, nullptr, &startup, &info)) {
             throw CommandError{"cannot start: error " +
                                std::to_string(GetLastError())};
           }
           CloseHandle(info.hThread);
           started_[info.dwProcessId] = info.hProcess;
           return std::to_string(info.dwProcessId);
         }},
        // exit PID TIMEOUT_MS -> exit code once the process has ended
        {"exit",
         [this](auto& a) {
           Need(a, 2);
           auto pid = static_cast<DWORD>(ParseNumber(a[0]));
           HANDLE process = nullptr;
           if (auto it = started_.find(pid); it != started_.end()) {
             process = it->second;
           } else {
             process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION,
                                   FALSE, pid);
             if (!process) throw CommandError{"no process " + a[0]};
             started_[pid] = process;
           }
           if (WaitForSingleObject(process, ParseNumber(a[1])) !=
               WAIT_OBJECT_0) {
             throw CommandError{"process still running"};
           }
           DWORD code = 0;
           GetExitCodeProcess(process, &code);
           return std::to_string(code);
         }},
        // kill PID: end a process started or waited for here
        {"kill",
         [this](auto& a) {
           Need(a, 1);
           auto pid = static_cast<DWORD>(ParseNumber(a[0]));
           HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, pid);
           if (!process) throw CommandError{"no process " + a[0]};
           TerminateProcess(process, 1);
           CloseHandle(process);
           return std::string();
         }},
    };
  }

  // Runs one command line; returns false on "quit".
  bool Run(const std::string& line) {
    auto words = SplitArguments(line);
    if (!words) return Answer("ERR unbalanced quotes");
    if (words->empty()) return Answer("ERR empty command");
    std::string name = words->front();
    if (name == "quit") return false;
    words->erase(words->begin());
    auto handler = handlers_.find(name);
    if (handler == handlers_.end())
      return Answer("ERR unknown command " + name);
    try {
      std::string result = handler->second(*words);
      return Answer(result.empty() ? "OK" : "OK " + result);
    } catch (const CommandError& error) {
      ++failures_;
      return Answer("ERR " + error.reason);
    }
  }

  int failures() const { return failures_; }

 private:
  static void Need(const std::vector<std::string>& arguments, size_t count) {
    if (arguments.size() < count) throw CommandError{"missing arguments"};
  }

  static bool Answer(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    return true;
  }

  using Handler = std::function<std::string(std::vector<std::string>&)>;
  std::map<std::string, Handler> handlers_;
  std::map<DWORD, HANDLE> started_;
  int failures_ = 0;
};

}  // namespace

// With arguments: runs each as one command and exits with 1 if any failed.
// Without: reads commands from standard input until "quit" or its end.
int main() {
  // Answers end in LF alone, and commands may end in CR LF or LF.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stdin), _O_BINARY);
  Driver driver;
  // The wide command line keeps Japanese arguments whatever the code page.
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(Narrow(argv[i]));
  LocalFree(argv);
  if (!arguments.empty()) {
    for (const auto& command : arguments) {
      if (!driver.Run(command)) break;
    }
    return driver.failures() > 0 ? 1 : 0;
  }
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!driver.Run(line)) break;
  }
  return 0;
}
