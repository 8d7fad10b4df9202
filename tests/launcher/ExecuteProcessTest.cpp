// ExecuteProcess as page script sees it, observed on the programs it starts
// (or does not start).
#include "FixturePaths.h"
#include "plugin/TextConversion.h"
#include "tests/launcher/Scratch.h"
#include "tests/launcher/ScriptCall.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace launchtest;

std::wstring Signed(const std::wstring &name) {
  return std::wstring(fixtures::kSignedDir) + L"\\" + name;
}

struct StartCase {
  const wchar_t *fixture;
  std::string arguments; // UTF-8, as the page sends them
  std::wstring expectedArguments;
};

TEST(ExecuteProcess, StartsGenuinePalomirProgramsWithTheCommandLineAsBuilt) {
  const StartCase cases[] = {
      {L"good.exe", "alpha beta", L"alpha beta"},
      {L"upper.exe", "", L""}, // the command line ends in the blank
      {L"lower.exe", R"(  --x="q r" \ )", LR"(  --x="q r" \ )"},
      {L"expired.exe", "\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80",
       L"\u00e9\u20ac\U0001F600"},
      {L"good.exe", std::string("one\0two", 7), L"one"}, // cut at the NUL
  };
  ScratchFolder scratch;
  for (const StartCase &c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.fixture)) + " " +
                 c.arguments);
    const std::wstring program = scratch.Copy(Signed(c.fixture), c.fixture);
    const std::wstring record = ExpectRecordIn(scratch);
    EXPECT_EQ(CallExecuteProcess(WideToUtf8(program), c.arguments), kStarted);
    const Record seen = WaitForRecord(record);
    ASSERT_TRUE(seen.present);
    EXPECT_TRUE(SamePath(seen.module, program)) << WideToUtf8(seen.module);
    EXPECT_EQ(seen.commandLine, program + L" " + c.expectedArguments);
    EXPECT_TRUE(DeleteWithin(program)) << "the program file is still held";
  }
}

// An unquoted command line with blanks, or a name without extension, would
// let the system pick the planted unsigned program instead.
TEST(ExecuteProcess, StartsTheCheckedFileNeverOnePlantedBesideIt) {
  struct Case {
    std::wstring folder, checked, planted;
  };
  const Case cases[] = {
      {fixtures::kBlanksDir, L"my app.exe", L"my.exe"},
      {fixtures::kNoExtensionDir, L"program", L"program.exe"},
  };
  for (const Case &c : cases) {
    ScratchFolder scratch;
    const std::wstring checked =
        scratch.Copy(c.folder + L"\\" + c.checked, L"dir\\" + c.checked);
    scratch.Copy(c.folder + L"\\" + c.planted, L"dir\\" + c.planted);
    const std::wstring record = ExpectRecordIn(scratch);
    EXPECT_EQ(CallExecuteProcess(WideToUtf8(checked), "--flag value"),
              kStarted);
    const Record seen = WaitForRecord(record);
    ASSERT_TRUE(seen.present);
    EXPECT_TRUE(SamePath(seen.module, checked)) << WideToUtf8(seen.module);
    EXPECT_EQ(seen.commandLine, checked + L" --flag value");
  }
}

TEST(ExecuteProcess, RefusesAndStartsNothingUnlessGenuinePalomir) {
  ScratchFolder scratch;
  const wchar_t *refusedFixtures[] = {
      L"no-stop.exe",
      L"trailing-blank.exe",
      L"longer.exe",
      L"dotless-i.exe",
      L"dotted-capital-i.exe",
      L"other.exe",
      L"other-nesting-good.exe",
      L"self-signed.exe",
      L"untrusted.exe",
      L"changed-after-signing.exe",
      L"good-library.dll", // passes the check, but is no program
  };
  std::wstring paths[] = {
      scratch.Copy(fixtures::kUnsignedProgram, L"unsigned.exe"),
      L"",
      scratch.Path() + L"\\missing.exe",
      scratch.Path(),                      // a directory
      L"\"" + Signed(L"good.exe") + L"\"", // quotes stay part of the path
      L"COM1", // devices open, and reading them would wait forever
      L"AUX",
      L"NUL",
  };
  const std::wstring refusedRecord = ExpectRecordIn(scratch);
  auto refuse = [&](const std::wstring &path, bool copied) {
    EXPECT_EQ(CallExecuteProcess(WideToUtf8(path), "x"), kRefused)
        << WideToUtf8(path);
    if (copied)
      EXPECT_TRUE(DeleteFileW(path.c_str())) << WideToUtf8(path) << " held";
  };
  refuse(paths[0], true);
  for (std::size_t i = 1; i < sizeof(paths) / sizeof(paths[0]); ++i)
    refuse(paths[i], false);
  for (const wchar_t *fixture : refusedFixtures)
    refuse(scratch.Copy(Signed(fixture), fixture), true);

  // A program started after all of them has recorded itself; none of them did.
  const std::wstring sentinelRecord = ExpectRecordIn(scratch);
  ASSERT_EQ(CallExecuteProcess(WideToUtf8(Signed(L"good.exe")), ""), kStarted);
  ASSERT_TRUE(WaitForRecord(sentinelRecord).present);
  EXPECT_FALSE(WaitForRecord(refusedRecord, 0).present);
}

NPVariant Int(int32_t value) {
  NPVariant v = {};
  v.type = NPVariantType_Int32;
  v.value.intValue = value;
  return v;
}

NPVariant Null() {
  NPVariant v = {};
  v.type = NPVariantType_Null;
  return v;
}

NPVariant String(const std::string &bytes) {
  NPVariant v = {};
  v.type = NPVariantType_String;
  v.value.stringValue = {bytes.data(), static_cast<uint32_t>(bytes.size())};
  return v;
}

TEST(ExecuteProcess, RefusesFewerThanTwoArgumentsAndNonStrings) {
  ScratchFolder scratch;
  const std::string good = WideToUtf8(Signed(L"good.exe"));
  const std::wstring record = ExpectRecordIn(scratch);
  const std::vector<NPVariant> calls[] = {
      {},
      {String(good)},
      {String(good), Int(1)},
      {String(good), Null()},
      {Int(0), String("")},
  };
  for (const std::vector<NPVariant> &args : calls)
    EXPECT_EQ(CallExecuteProcess(args), kRefused) << args.size();

  const std::wstring sentinelRecord = ExpectRecordIn(scratch);
  ASSERT_EQ(CallExecuteProcess({String(good), String("")}), kStarted);
  ASSERT_TRUE(WaitForRecord(sentinelRecord).present);
  EXPECT_FALSE(WaitForRecord(record, 0).present);
}

} // namespace
