// korvalinde_e2e [--exe PATH] NAME... | all | --list: runs end-to-end scenarios against the real
// Korvalinde.exe (from --exe, else KORVALINDE_EXE). Screenshots go to KORVALINDE_SHOTS. Every
// scenario starts and ends with no running instance and no settings key.
#include <cstdio>
#include <cstring>
#include <string>

#include "driver_support.h"

using namespace e2e;

// The child side of SendNullRequest: 0 when sent, 1 when only posting worked, 2 when neither.
static int SendNullRequestChild(const wchar_t* hwndText) {
  HWND target = (HWND)(uintptr_t)wcstoull(hwndText, nullptr, 10);
  DWORD_PTR result = 0;
  if (SendMessageTimeoutW(target, kLbAddFile, 0, 0, SMTO_ABORTIFHUNG, 3000, &result)) return 0;
  return PostMessageW(target, kLbAddFile, 0, 0) ? 1 : 2;
}

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && wcscmp(argv[1], L"--send-null-request") == 0) return SendNullRequestChild(argv[2]);
  std::vector<std::string> names;
  for (int i = 1; i < argc; ++i) {
    if (wcscmp(argv[i], L"--list") == 0) {
      for (const auto& s : Scenarios()) std::printf("%s\n", s.name);
      return 0;
    }
    if (wcscmp(argv[i], L"--exe") == 0 && i + 1 < argc) SetEnvironmentVariableW(L"KORVALINDE_EXE", argv[++i]);
    else names.push_back(Utf8(argv[i]));
  }
  if (names.empty()) {
    std::printf("usage: korvalinde_e2e [--exe PATH] NAME... | all | --list\n");
    return 2;
  }
  int unknown = 0;
  for (const auto& name : names) {
    bool found = false;
    for (const auto& s : Scenarios()) {
      if (name != "all" && name != s.name) continue;
      found = true;
      const int failedBefore = FailedCount();
      const uint64_t start = Now();
      std::printf("== %s\n", s.name);
      EndStrayInstances();
      ClearSettingsKey();
      try {
        s.fn();
      } catch (const ScenarioAbort&) {
        Note("scenario stopped after a failed requirement");
      }
      EndStrayInstances();
      ClearSettingsKey();
      std::printf("-- %s: %s (%.1f s)\n", s.name, FailedCount() > failedBefore ? "FAILED" : "ok",
                  (Now() - start) / 1000.0);
      std::fflush(stdout);
    }
    if (!found) {
      std::printf("unknown scenario: %s\n", name.c_str());
      ++unknown;
    }
  }
  std::printf("%d passed, %d failed\n", PassedCount(), FailedCount() + unknown);
  return (FailedCount() + unknown) ? 1 : 0;
}
