// One log append at 1,000, 10,000 and 100,000 lines, and where its time goes.
//
//   log_bench.exe [rounds] [lines...]     (defaults 11 and 1000 10000 100000)
//
// The log is the real main window's text control (hosted modeless, real
// system), filled untimed with the given number of lines. Each round then
// measures, the order of the first and the last swapping every round:
//   - AppendOutput of one line (the real code: read the whole text, append,
//     write the whole text back, scroll to the end);
//   - the same four steps made one by one on the same control, each timed
//     (WM_GETTEXT, the string append, WM_SETTEXT, WM_VSCROLL);
//   - the platform's own cost: SetWindowText of the same whole text into a
//     bare EDIT control of the same class, styles, size and font;
//   - AppendOutput's steps with the control's redraw suspended around the
//     text replacement (WM_SETREDRAW off, WM_SETTEXT, on, one invalidation,
//     then the scroll), and whether the log then shows the same text, the
//     same last line at the bottom and the same caret as after AppendOutput.
// Every append adds one line, so round k works on lines + k lines.
#include "app/main_dialog.h"
#include "bench/bench_report.h"
#include "bench/hosted_window.h"
#include "platform/app.h"
#include "platform/string.h"
#include "platform/window.h"
#include "resources/resource.h"
#include "tests/support/modal_answers.h"
#include "tests/support/messages.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using bench::Clock;

const char* const kLines[] = {"Starting mini dump...\r\n", "Creating mini dump file: \r\n",
                              "Z:\\home\\user\\work\\dumps\\not1A2B.dmp\r\n"};
const char kAppended[] = "Starting mini dump...\r\n";

std::string LogOf(int lines) {
  std::string text = "Output....\r\n";
  for (int i = 1; i < lines; ++i) text += kLines[i % 3];
  return text;
}

// A bare EDIT control like the log panel, in a plain window of its own.
HWND BareEditLike(HWND model) {
  RECT rect;
  GetWindowRect(model, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const HWND frame =
      CreateWindowExA(0, "STATIC", "bare", WS_POPUP | WS_VISIBLE, rect.left, rect.top, width + 20,
                      height + 20, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  const auto style = static_cast<DWORD>(GetWindowLongPtrA(model, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrA(model, GWL_EXSTYLE));
  const HWND edit = CreateWindowExA(exStyle, "EDIT", "", style, 0, 0, width, height, frame, nullptr,
                                    GetModuleHandleA(nullptr), nullptr);
  SendMessageA(edit, WM_SETFONT, SendMessageA(model, WM_GETFONT, 0, 0), FALSE);
  return edit;
}

std::string TextOf(HWND window) {
  const int length = GetWindowTextLengthA(window);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(window, &text[0], length + 1)));
  return text;
}

// What the log shows of its end: the lines from the first visible one to the
// last, and the caret and selection.
std::string View(HWND edit) {
  const auto lines = SendMessageA(edit, EM_GETLINECOUNT, 0, 0);
  const auto first = SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
  DWORD from = 0;
  DWORD to = 0;
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  return "lines from the top " + std::to_string(lines - first) + ", selection " +
         std::to_string(from) + ".." + std::to_string(to);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = std::max(1, argc > 1 ? std::atoi(argv[1]) : 11);
  std::vector<int> sizes;
  for (int i = 2; i < argc; ++i) sizes.push_back(std::max(1, std::atoi(argv[i])));
  if (sizes.empty()) sizes = {1000, 10000, 100000};

  CMainDialog dialog(nullptr);
  if (!bench::HostMainWindow(dialog)) return 1;
  CWnd log;
  log.Attach(support::LogPanel(dialog));
  const HWND bare = BareEditLike(log.m_hWnd);
  support::PumpMessages();
  char className[32] = {};
  GetClassNameA(log.m_hWnd, className, sizeof className);
  std::printf("log_bench: %d rounds; the log panel is a \"%s\" control, styles 0x%08lx\n", rounds,
              className, static_cast<unsigned long>(GetWindowLongPtrA(log.m_hWnd, GWL_STYLE)));

  std::vector<double> previous;
  int previousLines = 0;
  for (const int lines : sizes) {
    std::string text = LogOf(lines);
    const Clock::time_point filled = Clock::now();
    log.SetWindowText(text.c_str());
    const double fillSeconds = bench::SecondsSince(filled);
    SetWindowTextA(bare, text.c_str());
    support::PumpMessages();
    std::printf("%d lines (%zu bytes); the untimed first SetWindowText took %s\n", lines,
                text.size(), bench::Time(fillSeconds).c_str());

    std::vector<double> appends, bareSets, reads, joins, writes, scrolls, suspendedAppends;
    std::string viewAfterAppend;
    bool sameView = true;
    for (int round = 1; round <= rounds; ++round) {
      for (int turn = 0; turn < 4; ++turn) {
        // The order rotates every round.
        const int step = (turn + round) % 4;
        if (step == 0) {
          const Clock::time_point start = Clock::now();
          dialog.AppendOutput(kAppended);
          appends.push_back(bench::SecondsSince(start));
          text += kAppended;
          viewAfterAppend = View(log.m_hWnd);
        } else if (step == 3) {
          const Clock::time_point start = Clock::now();
          CString whole;
          log.GetWindowText(whole);
          whole += kAppended;
          {
            const CRedrawSuspension replacing(log);
            log.SetWindowText(whole);
          }
          log.SendMessage(WM_VSCROLL, SB_BOTTOM, 0);
          suspendedAppends.push_back(bench::SecondsSince(start));
          text += kAppended;
          if (!viewAfterAppend.empty() && View(log.m_hWnd) != viewAfterAppend) {
            std::printf("  suspended append shows %s, AppendOutput %s\n", View(log.m_hWnd).c_str(),
                        viewAfterAppend.c_str());
            sameView = false;
          }
        } else if (step == 1) {
          Clock::time_point start = Clock::now();
          CString whole;
          log.GetWindowText(whole);
          reads.push_back(bench::SecondsSince(start));
          start = Clock::now();
          whole += kAppended;
          joins.push_back(bench::SecondsSince(start));
          start = Clock::now();
          log.SetWindowText(whole);
          writes.push_back(bench::SecondsSince(start));
          start = Clock::now();
          log.SendMessage(WM_VSCROLL, SB_BOTTOM, 0);
          scrolls.push_back(bench::SecondsSince(start));
          text += kAppended;
        } else {
          // The bare control gets the text the log has after this round's
          // appends, so both write texts of the same length.
          std::string same = text;
          same += kAppended;  // the length after the next append, give or take one
          const Clock::time_point start = Clock::now();
          SetWindowTextA(bare, same.c_str());
          bareSets.push_back(bench::SecondsSince(start));
          SendMessageA(bare, WM_VSCROLL, SB_BOTTOM, 0);
        }
        support::PumpMessages();
      }
    }
    if (TextOf(log.m_hWnd) != text) {
      std::printf("the log does not hold the text it should\n");
      return 1;
    }
    for (int round = 0; round < rounds; ++round) {
      std::printf(
          "  %6d lines round %2d  AppendOutput %s  split: get %s set %s scroll %s  bare set %s\n",
          lines, round + 1, bench::Time(appends[static_cast<size_t>(round)]).c_str(),
          bench::Time(reads[static_cast<size_t>(round)]).c_str(),
          bench::Time(writes[static_cast<size_t>(round)]).c_str(),
          bench::Time(scrolls[static_cast<size_t>(round)]).c_str(),
          bench::Time(bareSets[static_cast<size_t>(round)]).c_str());
    }
    const std::string at = " at " + std::to_string(lines) + " lines";
    bench::Result("log append" + at + " vs bare SetWindowText", appends, bareSets, 0);
    bench::Result("log append redraw suspended" + at + " vs plain", suspendedAppends, appends, 0);
    std::printf("figure | %-44s | %10s |\n", ("  same text, bottom line and caret" + at).c_str(),
                sameView ? "yes" : "NO");
    bench::Figure("  AppendOutput" + at, appends);
    bench::Figure("  step 1 WM_GETTEXT (GetWindowText)" + at, reads);
    bench::Figure("  step 2 string append" + at, joins);
    bench::Figure("  step 3 WM_SETTEXT (SetWindowText)" + at, writes);
    bench::Figure("  step 4 WM_VSCROLL SB_BOTTOM" + at, scrolls);
    bench::Figure("  bare EDIT SetWindowText" + at, bareSets);
    if (!previous.empty()) {
      const double growth = bench::Median(appends) / bench::Median(previous);
      std::printf(
          "figure | %-44s | %10.1fx | for %.0fx the lines\n",
          ("  append growth " + std::to_string(previousLines) + " -> " + std::to_string(lines))
              .c_str(),
          growth, static_cast<double>(lines) / previousLines);
    }
    previous = appends;
    previousLines = lines;
  }

  DestroyWindow(GetParent(bare));
  dialog.DestroyWindow();
  support::PumpMessages();
  return 0;
}
