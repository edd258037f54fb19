// What Korvalinde takes from its own resources, read from the built program: the dialogs, keys, icon and
// version in Japanese, the version of version.h, and a manifest for the user's own rights and Common
// Controls 6 that may hold further elements (DPI awareness, say). The controls the code addresses in the
// dialogs, with their classes, are checked on the open dialogs end to end.
#include "win32_test_support.h"  // windows.h first

#include "resource.h"
#include "version.h"

TEST(Resources, AreJapaneseWithTheVersionAndManifestTheProgramNeeds) {
  const HMODULE exe = LoadLibraryExW(kvtest::kExe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  auto resource = [&](LPCWSTR type, int id, LANGID language = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)) {
    HRSRC r = FindResourceExW(exe, type, MAKEINTRESOURCEW(id), language);
    return r ? std::string(static_cast<const char*>(LockResource(LoadResource(exe, r))), SizeofResource(exe, r)) : "";
  };
  for (auto [type, id] : {std::make_pair(RT_DIALOG, IDD_TIMER),
                          {RT_DIALOG, IDD_SETTINGS},
                          {RT_ACCELERATOR, IDR_ACCELERATORS},
                          {RT_GROUP_ICON, IDI_MAIN},
                          {RT_VERSION, VS_VERSION_INFO}})
    EXPECT_NE("", resource(type, id)) << id;
  const std::string info = resource(RT_VERSION, VS_VERSION_INFO), manifest = resource(RT_MANIFEST, 1, 0x409);
  const WORD version[] = {KORVALINDE_VERSION_BINARY};
  VS_FIXEDFILEINFO* fixed = nullptr;
  DWORD* translation = nullptr;
  UINT size = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", (void**)&fixed, &size) &&
              VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", (void**)&translation, &size));
  EXPECT_TRUE(fixed->dwFileVersionMS == DWORD(version[0] << 16 | version[1]) &&
              fixed->dwFileVersionLS == DWORD(version[2] << 16 | version[3]) && *translation == (1200 << 16 | 0x411));
  for (const char* attribute : {"level=\"asInvoker\"", "uiAccess=\"false\"", "\"Microsoft.Windows.Common-Controls\""})
    EXPECT_NE(std::string::npos, manifest.find(attribute)) << attribute;
  const size_t at = manifest.find("Microsoft.Windows.Common-Controls"), start = manifest.rfind('<', at);
  EXPECT_NE(std::string::npos, manifest.substr(start, manifest.find('>', at) - start).find("version=\"6.0.0.0\""));
}
