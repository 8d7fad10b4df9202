// The publisher check on real signed files: what passes, what is refused, and
// that nothing of a check outlives it.
#include "launcher/FileSigner.h"

#include "FixturePaths.h"
#include "tests/launcher/Scratch.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <string>

namespace {

using launchtest::ScratchFolder;

std::wstring Signed(const std::wstring &name) {
  return std::wstring(fixtures::kSignedDir) + L"\\" + name;
}

struct SignerCase {
  const wchar_t *file;
  bool accepted;
};

// Each file is checked as a copy, which must be deletable right after.
const SignerCase kSignerCases[] = {
    {L"good.exe", true},
    {L"upper.exe", true},             // "PALOMIR LTD."
    {L"lower.exe", true},             // "palomir ltd."
    {L"expired.exe", true},           // valid 2015 only, trusted root
    {L"good-library.dll", true},      // genuine, though no program
    {L"no-stop.exe", false},          // "Palomir Ltd"
    {L"trailing-blank.exe", false},   // "Palomir Ltd. "
    {L"longer.exe", false},           // "Palomir Ltd.s"
    {L"dotless-i.exe", false},        // U+0131 in place of i
    {L"dotted-capital-i.exe", false}, // U+0130 in place of I
    {L"other.exe", false},
    {L"other-nesting-good.exe", false}, // Palomir only in the nested signature
    {L"self-signed.exe", false},
    {L"untrusted.exe", false}, // Palomir from a CA the machine does not trust
    {L"changed-after-signing.exe", false},
};

TEST(CheckFileSigner, AcceptsOnlyGenuinePalomirFirstSignerAndReleasesTheFile) {
  ScratchFolder scratch;
  for (const SignerCase &c : kSignerCases) {
    const std::wstring copy = scratch.Copy(Signed(c.file), c.file);
    EXPECT_EQ(CheckFileSigner(copy, ExpectedSignerName), c.accepted)
        << testing::PrintToString(std::wstring(c.file));
    EXPECT_TRUE(DeleteFileW(copy.c_str()))
        << testing::PrintToString(std::wstring(c.file)) << " still held";
  }
}

TEST(CheckFileSigner, RefusesWhatIsNoSignedFile) {
  ScratchFolder scratch;
  const std::wstring unsigned_ =
      scratch.Copy(fixtures::kUnsignedProgram, L"unsigned.exe");
  const std::wstring good = Signed(L"good.exe");
  const std::wstring refused[] = {
      unsigned_,
      L"",
      scratch.Path() + L"\\missing.exe",
      scratch.Path(), // a directory
      L"\"" + good + L"\"",
  };
  for (const std::wstring &path : refused)
    EXPECT_FALSE(CheckFileSigner(path, ExpectedSignerName))
        << testing::PrintToString(path);
  EXPECT_TRUE(DeleteFileW(unsigned_.c_str()));
}

TEST(CheckFileSigner, ComparesTheWholeExpectedName) {
  const std::wstring good = Signed(L"good.exe");
  EXPECT_TRUE(CheckFileSigner(good, L"PALOMIR ltd."));
  EXPECT_FALSE(CheckFileSigner(good, L"Palomir"));
  EXPECT_FALSE(CheckFileSigner(good, L"Palomir Ltd.."));
  EXPECT_FALSE(CheckFileSigner(good, L""));
}

SIZE_T Commit() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
  return counters.PagefileUsage;
}

// Each round runs every path through the check once: accepted, refused at
// the signature, at the chain, at the name and at the file itself.
TEST(CheckFileSigner, ManyChecksDoNotGrowTheProcess) {
  const std::wstring files[] = {Signed(L"good.exe"),
                                Signed(L"changed-after-signing.exe"),
                                Signed(L"untrusted.exe"), Signed(L"other.exe"),
                                fixtures::kUnsignedProgram};
  auto round = [&] {
    for (const std::wstring &file : files)
      CheckFileSigner(file, ExpectedSignerName);
  };
  for (int i = 0; i < 10; ++i) // caches of the crypto libraries fill first
    round();
  const SIZE_T before = Commit();
  const int rounds = 100;
  for (int i = 0; i < rounds; ++i)
    round();
  const SIZE_T after = Commit();
  const long long growth =
      static_cast<long long>(after) - static_cast<long long>(before);
  std::printf("commit before %lu KiB, after %lu KiB, growth %lld bytes over "
              "%d checks\n",
              static_cast<unsigned long>(before / 1024),
              static_cast<unsigned long>(after / 1024), growth, rounds * 5);
  // A leak of one certificate context, store or signer buffer per call would
  // add well over a megabyte here.
  EXPECT_LT(growth, 512 * 1024);
}

} // namespace
