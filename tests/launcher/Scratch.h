// Test helpers: a scratch folder of fixture copies that a test may delete, and
// the records that the recording program leaves when it is started.
#pragma once

#include <windows.h>

#include <string>

namespace launchtest {

// A fresh folder under the temporary directory, removed with what it holds.
class ScratchFolder {
public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder &) = delete;
  ScratchFolder &operator=(const ScratchFolder &) = delete;

  const std::wstring &Path() const { return m_path; }
  // Copies a file into the folder (creating subfolders of name); returns the
  // copy's full path.
  std::wstring Copy(const std::wstring &source, const std::wstring &name) const;

private:
  std::wstring m_path;
};

// What a started recording program wrote about itself.
struct Record {
  bool present = false;
  std::wstring module;      // the full path of the file that ran
  std::wstring commandLine; // its GetCommandLineW
};

// Points the recording program, in every process started from now on, at a
// new record file in folder; returns its path.
std::wstring ExpectRecordIn(const ScratchFolder &folder);
// Waits up to timeoutMs for the record file and reads it.
Record WaitForRecord(const std::wstring &recordPath, DWORD timeoutMs = 120000);
// Retries deleting a file up to timeoutMs (a started program holds its file
// until it has ended).
bool DeleteWithin(const std::wstring &path, DWORD timeoutMs = 120000);

// Equal, ignoring letter case (Wine reports a program's
// path in the letter case of its file system).
bool SamePath(const std::wstring &a, const std::wstring &b);

} // namespace launchtest
