// korvalinde_e2e: runs end-to-end scenarios against the real Korvalinde.exe.
//
//   korvalinde_e2e [--exe PATH] NAME...   run the named scenarios (or "all")
//   korvalinde_e2e --list                 print the scenario names
//
// The program under test comes from --exe, else from KORVALINDE_EXE, else Korvalinde.exe in the
// current directory. Screenshots go to KORVALINDE_SHOTS (default: .\screenshots). Every
// scenario starts with no running instance and no settings key, and ends with no instance left.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "driver_support.h"

using namespace e2e;

// Sends LB_ADDFILE with a null text to a window and reports whether it was delivered: 0 when
// sent, 1 when only posting worked, 2 when neither. Run in a child process of the driver,
// because packing a null text for another process may fault in the sender; the fault then ends
// only this child.
static int SendNullRequest(const wchar_t* hwndText) {
  HWND target = (HWND)(uintptr_t)wcstoull(hwndText, nullptr, 16);
  DWORD_PTR result = 0;
  SetLastError(0);
  if (SendMessageTimeoutW(target, kLbAddFile, 0, 0, SMTO_ABORTIFHUNG, 3000, &result)) return 0;
  std::printf("  note: SendMessageTimeoutW(LB_ADDFILE, lParam 0) failed, error %lu\n", GetLastError());
  SetLastError(0);
  if (PostMessageW(target, kLbAddFile, 0, 0)) return 1;
  std::printf("  note: PostMessageW(LB_ADDFILE, lParam 0) failed, error %lu\n", GetLastError());
  return 2;
}

static int RunScenario(const ScenarioInfo& s) {
  const int failedBefore = FailedCount();
  std::printf("== %s\n", s.name);
  std::fflush(stdout);
  EndStrayInstances();
  ClearSettingsKey();
  const uint64_t start = Now();
  try {
    s.fn();
  } catch (const ScenarioAbort&) {
    Note("scenario stopped after a failed requirement");
  }
  EndStrayInstances();
  ClearSettingsKey();
  const int failed = FailedCount() - failedBefore;
  std::printf("-- %s: %s (%.1f s)\n", s.name, failed ? "FAILED" : "ok", (Now() - start) / 1000.0);
  std::fflush(stdout);
  return failed;
}

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && wcscmp(argv[1], L"--send-null-request") == 0) return SendNullRequest(argv[2]);

  std::vector<std::string> names;
  for (int i = 1; i < argc; ++i) {
    if (wcscmp(argv[i], L"--list") == 0) {
      for (const auto& s : Scenarios()) std::printf("%s\n", s.name);
      return 0;
    }
    if (wcscmp(argv[i], L"--exe") == 0 && i + 1 < argc) {
      SetEnvironmentVariableW(L"KORVALINDE_EXE", argv[++i]);
      continue;
    }
    names.push_back(Utf8(argv[i]));
  }
  if (names.empty()) {
    std::printf("usage: korvalinde_e2e [--exe PATH] NAME... | all | --list\n");
    return 2;
  }

  int unknown = 0;
  for (const auto& name : names) {
    bool found = false;
    for (const auto& s : Scenarios()) {
      if (name == "all" || name == s.name) {
        RunScenario(s);
        found = true;
      }
    }
    if (!found) {
      std::printf("unknown scenario: %s\n", name.c_str());
      ++unknown;
    }
  }
  std::printf("%d passed, %d failed\n", PassedCount(), FailedCount() + unknown);
  return (FailedCount() + unknown) ? 1 : 0;
}
