// Scratch folders and start records for the launcher's tests.
#include "tests/launcher/Scratch.h"

#include "FixturePaths.h"
#include "plugin/TextConversion.h"

#include <cwctype>
#include <fstream>
#include <sstream>

namespace launchtest {

namespace {

long g_sequence = 0;

void RemoveTree(const std::wstring &folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..")
        continue;
      const std::wstring path = folder + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(path);
      else
        DeleteWithin(path, 10000);
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

std::string ReadAll(const std::wstring &path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

} // namespace

ScratchFolder::ScratchFolder() {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  m_path = std::wstring(temp) + L"launcher-" +
           std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++g_sequence);
  CreateDirectoryW(m_path.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() { RemoveTree(m_path); }

std::wstring ScratchFolder::Copy(const std::wstring &source,
                                 const std::wstring &name) const {
  for (std::size_t slash = name.find(L'\\'); slash != std::wstring::npos;
       slash = name.find(L'\\', slash + 1))
    CreateDirectoryW((m_path + L"\\" + name.substr(0, slash)).c_str(), nullptr);
  const std::wstring target = m_path + L"\\" + name;
  CopyFileW(source.c_str(), target.c_str(), FALSE);
  return target;
}

std::wstring ExpectRecordIn(const ScratchFolder &folder) {
  const std::wstring path =
      folder.Path() + L"\\record-" + std::to_wstring(++g_sequence) + L".txt";
  SetEnvironmentVariableW(fixtures::kRecordVariable, path.c_str());
  return path;
}

// Polls until the record reads whole: under load the file can be seen before
// it can be read, so a first incomplete read is no answer yet.
Record WaitForRecord(const std::wstring &recordPath, DWORD timeoutMs) {
  Record record;
  const DWORD start = GetTickCount();
  for (;;) {
    if (GetFileAttributesW(recordPath.c_str()) != INVALID_FILE_ATTRIBUTES) {
      const std::wstring text = Utf8ToWide(ReadAll(recordPath));
      const std::size_t first = text.find(L'\n');
      const std::size_t second = first == std::wstring::npos
                                     ? std::wstring::npos
                                     : text.find(L'\n', first + 1);
      if (second != std::wstring::npos) {
        record.present = true;
        record.module = text.substr(0, first);
        record.commandLine = text.substr(first + 1, second - first - 1);
        return record;
      }
    }
    if (GetTickCount() - start > timeoutMs)
      return record;
    Sleep(20);
  }
}

bool DeleteWithin(const std::wstring &path, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!DeleteFileW(path.c_str())) {
    if (GetTickCount() - start > timeoutMs)
      return false;
    Sleep(50);
  }
  return true;
}

bool SamePath(const std::wstring &a, const std::wstring &b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::towlower(a[i]) != std::towlower(b[i]))
      return false;
  }
  return true;
}

} // namespace launchtest
