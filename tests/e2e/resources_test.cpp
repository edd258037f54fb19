// What Korvalinde takes from its own resources, read from the built program: the dialogs, keys and icon in
// Japanese, the version's strings in Japanese and English, and the manifest that asks for Common Controls 6.
// The controls of the dialogs are used on the open dialogs end to end.
#include "driver.h"  // windows.h first

#include "resource.h"

TEST(Resources, AreJapaneseWithTheVersionAndManifestTheProgramNeeds) {
  const HMODULE exe = LoadLibraryExW(kv::ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  auto resource = [&](LPCWSTR type, int id, LANGID language = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)) {
    HRSRC r = FindResourceExW(exe, type, MAKEINTRESOURCEW(id), language);
    return r ? std::string(static_cast<const char*>(LockResource(LoadResource(exe, r))), SizeofResource(exe, r)) : "";
  };
  for (auto [type, id] : {std::make_pair(RT_DIALOG, IDD_TIMER), {RT_DIALOG, IDD_SETTINGS},
                          {RT_ACCELERATOR, IDR_ACCELERATORS}, {RT_GROUP_ICON, IDI_MAIN}})
    EXPECT_NE("", resource(type, id)) << id;
  const std::string info = resource(RT_VERSION, VS_VERSION_INFO), manifest = resource(RT_MANIFEST, 1, 0x409);
  DWORD* translation = nullptr;
  UINT size = 0;
  const BOOL hasTranslation = VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", (void**)&translation, &size);
  ASSERT_TRUE(hasTranslation);
  ASSERT_EQ(8u, size) << "two languages";
  EXPECT_EQ(DWORD(1200 << 16 | 0x411), translation[0]) << "Japanese, UTF-16";
  EXPECT_EQ(DWORD(1200 << 16 | 0x409), translation[1]) << "English, UTF-16";
  for (const wchar_t* block :
       {L"\\StringFileInfo\\041104b0\\ProductName", L"\\StringFileInfo\\040904b0\\ProductName"}) {
    wchar_t* product = nullptr;
    VerQueryValueW(info.data(), block, (void**)&product, &size);
    EXPECT_STREQ(L"Korvalinde", product) << block;
  }
  EXPECT_NE(std::string::npos, manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
}
