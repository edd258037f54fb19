// Raw registry access, the 48-byte timer record and the local time, for the Windows test programs (registry
// store, resources, end to end). The registry is HKCU's.
#pragma once
#include "win32_helpers.h"  // windows.h first
#include <fcntl.h>
#include <gtest/gtest.h>
#include <io.h>

namespace kvtest {
using namespace kv;

constexpr uint64_t kFileTimePerMs = 10000;
inline const int kBinaryStdout = _setmode(_fileno(stdout), _O_BINARY);  // ctest reads the cases in "\n" lines
inline const std::wstring kExe = [] {  // KORVALINDE_EXE, else the one built; a Unix path is on drive Z:
  wchar_t path[MAX_PATH] = L"" KORVALINDE_EXE_PATH;
  GetEnvironmentVariableW(L"KORVALINDE_EXE", path, MAX_PATH);
  for (wchar_t* c = path; *c; ++c) *c = *c == L'/' ? L'\\' : *c;
  return (path[0] == L'\\' ? L"Z:" : L"") + std::wstring(path);
}();

struct RegValue {
  bool exists = false;
  DWORD type = 0;
  std::vector<uint8_t> data;
  bool Is(DWORD t, const std::vector<uint8_t>& bytes) const { return exists && type == t && data == bytes; }
  std::wstring Sz() const { return std::wstring(reinterpret_cast<const wchar_t*>(data.data()), data.size() / 2); }
};
inline RegValue ReadValue(const wchar_t* name, const wchar_t* key = kSettingsKey) {  // raw: no terminator added
  RegValue v;
  HKEY k;
  DWORD size = 0;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &k)) return v;
  if (!RegQueryValueExW(k, name, nullptr, &v.type, nullptr, &size)) v.data.resize(size);
  v.exists = !RegQueryValueExW(k, name, nullptr, &v.type, v.data.data(), &size);
  return RegCloseKey(k), v;
}
inline bool WriteValue(const wchar_t* name, DWORD type, const void* data, DWORD size) {
  return !RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name, type, data, size);
}
inline uint64_t LocalFileTimeNow() {
  SYSTEMTIME now;
  FILETIME ft;
  GetLocalTime(&now), SystemTimeToFileTime(&now, &ft);
  return uint64_t(ft.dwHighDateTime) << 32 | ft.dwLowDateTime;
}

// A timer as handed over in SuspendN, 48 bytes of REG_BINARY, little-endian as the host is: a running timer's
// time is its expiry as local FILETIME, any other's the milliseconds left; zeros follow the name.
struct Record {
  uint64_t preset;
  uint32_t suspended, clockMode;
  uint64_t time;
  wchar_t name[12];
  std::wstring Name() const { return std::wstring(name, wcsnlen(name, 12)); }
};
static_assert(sizeof(Record) == 48, "the stored layout");
inline bool WriteRecord(int index, const Record& r) {
  return WriteValue((L"Suspend" + std::to_wstring(index)).c_str(), REG_BINARY, &r, 48);
}
inline std::vector<Record> ReadRecords() {  // Suspend0.. up to the first missing one
  std::vector<Record> out;
  for (RegValue v; (v = ReadValue((L"Suspend" + std::to_wstring(out.size())).c_str())).exists;) {
    Record r{};
    memcpy(&r, v.data.data(), std::min<size_t>(v.data.size(), 48));
    const std::wstring rest = std::wstring(r.name, 12).substr(r.Name().size());
    EXPECT_TRUE(v.type == REG_BINARY && v.data.size() == 48 && rest == std::wstring(rest.size(), 0))
        << "Suspend" << out.size();
    out.push_back(r);
  }
  return out;
}

}  // namespace kvtest
