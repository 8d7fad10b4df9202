// The built library read back as a browser and Windows see it: its export
// directory, its imports, its version resource and its manifest.
#include "common/WinHandles.h"

#include "host/BuiltPluginPath.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

class LibraryImageTest : public ::testing::Test {
protected:
  void SetUp() override {
    m_module.reset(LoadLibraryW(nphost::BuiltPluginPath().c_str()));
    ASSERT_TRUE(m_module) << "the library loads with nothing beside it, error "
                          << GetLastError();
    m_base = reinterpret_cast<const BYTE *>(m_module.get());
  }

  const IMAGE_DATA_DIRECTORY &Directory(int index) const {
    const auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(m_base);
    const auto *nt =
        reinterpret_cast<const IMAGE_NT_HEADERS32 *>(m_base + dos->e_lfanew);
    return nt->OptionalHeader.DataDirectory[index];
  }
  template <typename T> const T *At(DWORD rva) const {
    return reinterpret_cast<const T *>(m_base + rva);
  }

  UniqueModule m_module;
  const BYTE *m_base = nullptr;
};

TEST_F(LibraryImageTest, ExportsThreeUndecoratedNamesWithOrdinalsOneToThree) {
  const IMAGE_DATA_DIRECTORY &dir = Directory(IMAGE_DIRECTORY_ENTRY_EXPORT);
  ASSERT_NE(dir.VirtualAddress, 0u);
  const auto *exports = At<IMAGE_EXPORT_DIRECTORY>(dir.VirtualAddress);
  EXPECT_STREQ(At<char>(exports->Name), "NPPALOMIRFIREFOXPLUGIN.dll");
  EXPECT_EQ(exports->NumberOfFunctions, 3u);

  std::map<std::string, DWORD> ordinals;
  const auto *names = At<DWORD>(exports->AddressOfNames);
  const auto *nameOrdinals = At<WORD>(exports->AddressOfNameOrdinals);
  for (DWORD i = 0; i < exports->NumberOfNames; ++i)
    ordinals[At<char>(names[i])] = exports->Base + nameOrdinals[i];
  const std::map<std::string, DWORD> expected = {
      {"NP_GetEntryPoints", 1}, {"NP_Initialize", 2}, {"NP_Shutdown", 3}};
  EXPECT_EQ(ordinals, expected);
  for (const auto &[name, ordinal] : expected) {
    FARPROC byName = GetProcAddress(m_module.get(), name.c_str());
    EXPECT_NE(byName, nullptr) << name;
    EXPECT_EQ(byName, GetProcAddress(m_module.get(), MAKEINTRESOURCEA(ordinal)))
        << name;
  }
}

TEST_F(LibraryImageTest, ImportsNoCompilerRuntimeLibrary) {
  const IMAGE_DATA_DIRECTORY &dir = Directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
  std::vector<std::string> imported;
  for (const auto *entry = At<IMAGE_IMPORT_DESCRIPTOR>(dir.VirtualAddress);
       entry->Name != 0; ++entry) {
    std::string name = At<char>(entry->Name);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return char(::toupper((unsigned char)c)); });
    imported.push_back(name);
  }
  EXPECT_FALSE(imported.empty());
  for (const std::string &name : imported) {
    for (const char *runtime : {"LIBGCC", "LIBSTDC++", "LIBWINPTHREAD"})
      EXPECT_EQ(name.find(runtime), std::string::npos) << name;
  }
}

class VersionResourceTest : public LibraryImageTest {
protected:
  void SetUp() override {
    LibraryImageTest::SetUp();
    DWORD ignored = 0;
    const DWORD size =
        GetFileVersionInfoSizeW(nphost::BuiltPluginPath().c_str(), &ignored);
    ASSERT_NE(size, 0u);
    m_info.resize(size);
    ASSERT_TRUE(GetFileVersionInfoW(nphost::BuiltPluginPath().c_str(), 0, size,
                                    m_info.data()));
  }
  std::wstring Value(const std::wstring &path) {
    void *data = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(m_info.data(), path.c_str(), &data, &length) ||
        length == 0)
      return L"(absent)";
    return static_cast<const wchar_t *>(data);
  }
  std::vector<BYTE> m_info;
};

TEST_F(VersionResourceTest, FixedPartAndTranslation) {
  VS_FIXEDFILEINFO *fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(m_info.data(), L"\\",
                             reinterpret_cast<void **>(&fixed), &length));
  ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x000A0010u); // 10.16
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);          // .0.0
  EXPECT_EQ(fixed->dwProductVersionMS, 0x000A0010u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);
  EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
  EXPECT_EQ(fixed->dwFileFlags, 0u);
  EXPECT_EQ(fixed->dwFileOS, 0x40004u);
  EXPECT_EQ(fixed->dwFileType, 2u);
  EXPECT_EQ(fixed->dwFileSubtype, 0u);

  WORD *translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(m_info.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void **>(&translation), &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translation[0], 0x0409);
  EXPECT_EQ(translation[1], 0x04E4);

  // One version resource, id 1, US English.
  EXPECT_NE(FindResourceExW(m_module.get(), RT_VERSION, MAKEINTRESOURCEW(1),
                            MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)),
            nullptr);
}

TEST_F(VersionResourceTest, RegistrationStrings) {
  const std::pair<const wchar_t *, const wchar_t *> strings[] = {
      {L"CompanyName", L"Palomir Ltd."},
      {L"FileDescription", L"Palomir Plugin"},
      {L"FileExtents", L"*"},
      {L"FileOpenName", L"*"},
      {L"FileVersion", L"10.16.0.0"},
      {L"InternalName", L"npPalomirFirefoxPlugin.dll"},
      {L"MIMEType", L"application/palomir-firefox-plugin_10_16_0_0"},
      {L"OriginalFilename", L"npPalomirFirefoxPlugin.dll"},
      {L"ProductName", L"Palomir Plugin"},
      {L"ProductVersion", L"10.16.0.0"},
  };
  for (const auto &[key, value] : strings)
    EXPECT_EQ(Value(std::wstring(L"\\StringFileInfo\\040904e4\\") + key), value)
        << "key " << testing::PrintToString(std::wstring(key));
}

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
  auto *ids = reinterpret_cast<std::vector<ULONG_PTR> *>(param);
  ids->push_back(IS_INTRESOURCE(name) ? reinterpret_cast<ULONG_PTR>(name) : 0);
  return TRUE;
}

TEST_F(LibraryImageTest, OneManifestAskingOnlyToRunAsInvoker) {
  std::vector<ULONG_PTR> ids;
  EnumResourceNamesW(m_module.get(), RT_MANIFEST, CollectName,
                     reinterpret_cast<LONG_PTR>(&ids));
  ASSERT_EQ(ids, std::vector<ULONG_PTR>{2});

  HRSRC found = FindResourceW(m_module.get(), MAKEINTRESOURCEW(2), RT_MANIFEST);
  ASSERT_NE(found, nullptr);
  const char *data = static_cast<const char *>(
      LockResource(LoadResource(m_module.get(), found)));
  const std::string manifest(data, SizeofResource(m_module.get(), found));

  std::set<std::string> elements;
  const std::regex tag("<([A-Za-z][A-Za-z0-9:]*)");
  for (auto it = std::sregex_iterator(manifest.begin(), manifest.end(), tag);
       it != std::sregex_iterator(); ++it)
    elements.insert((*it)[1]);
  const std::set<std::string> expected = {"assembly", "trustInfo", "security",
                                          "requestedPrivileges",
                                          "requestedExecutionLevel"};
  EXPECT_EQ(elements, expected);
  EXPECT_TRUE(std::regex_search(
      manifest, std::regex("<requestedExecutionLevel\\s+level=\"asInvoker\"\\s+"
                           "uiAccess=\"false\"\\s*/>")))
      << manifest;
}

} // namespace
