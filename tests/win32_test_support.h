// Raw registry access, the 48-byte timer record and the local time, for the Windows test programs (registry
// store, resources, end to end). The registry is HKCU's.
#pragma once
#include <windows.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <io.h>

namespace kvtest {

constexpr wchar_t kSettingsKey[] = L"Software\\Brelwix\\Korvalinde",
                  kRunOnceKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
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
inline void ClearSettings() {  // the settings key with all its values, and the program's RunOnce value
  RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey), RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunOnceKey, L"Korvalinde");
}
inline uint64_t LocalFileTimeNow() {
  SYSTEMTIME now;
  FILETIME ft;
  GetLocalTime(&now), SystemTimeToFileTime(&now, &ft);
  return uint64_t(ft.dwHighDateTime) << 32 | ft.dwLowDateTime;
}

// A timer as handed over in SuspendN: Preset u64 @0, Suspended u32 @8, ClockMode u32 @12, time u64 @16 (a
// running timer's expiry as local FILETIME, else the milliseconds left), Name UTF-16 @24 (12 units).
// The host is little-endian, as the records are.
struct Record {
  uint64_t preset = 0;
  uint32_t suspended = 0, clockMode = 0;
  uint64_t time = 0;
  std::wstring name;
};
inline bool WriteRecord(int index, const Record& r) {
  uint8_t d[48] = {};
  memcpy(d, &r.preset, 8), memcpy(d + 8, &r.suspended, 4), memcpy(d + 12, &r.clockMode, 4), memcpy(d + 16, &r.time, 8);
  memcpy(d + 24, r.name.c_str(), 2 * r.name.size());
  return WriteValue((L"Suspend" + std::to_wstring(index)).c_str(), REG_BINARY, d, 48);
}
// Suspend0.. up to the first missing one; each must be 48 bytes of REG_BINARY, zero after the name.
inline std::vector<Record> ReadRecords() {
  std::vector<Record> out;
  for (RegValue v; (v = ReadValue((L"Suspend" + std::to_wstring(out.size())).c_str())).exists;) {
    EXPECT_TRUE(v.type == REG_BINARY && v.data.size() == 48) << "Suspend" << out.size();
    v.data.resize(48);
    const uint8_t* d = v.data.data();
    const std::wstring units(reinterpret_cast<const wchar_t*>(d + 24), 12);
    out.push_back({0, 0, 0, 0, units.c_str()});
    Record& r = out.back();
    memcpy(&r.preset, d, 8), memcpy(&r.suspended, d + 8, 4), memcpy(&r.clockMode, d + 12, 4),
        memcpy(&r.time, d + 16, 8);
    EXPECT_EQ(std::wstring(12 - out.back().name.size(), 0), units.substr(out.back().name.size()))
        << "Suspend" << out.size();
  }
  return out;
}

}  // namespace kvtest
