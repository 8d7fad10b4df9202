// The answer text, how it is stored for the browser, and the status table.
#include "plugin/ResultEnvelope.h"
#include "plugin/BrowserFuncs.h"
#include "plugin/StatusTable.h"
#include "tests/plugin/FakeBrowser.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using fakebrowser::State;

class ResultEnvelopeTest : public ::testing::Test {
protected:
  void SetUp() override {
    fakebrowser::Reset();
    CopyBrowserFuncs(fakebrowser::Table());
  }
  void TearDown() override { EXPECT_TRUE(fakebrowser::Clean()); }
};

TEST_F(ResultEnvelopeTest, EnvelopeTexts) {
  struct Case {
    std::wstring result;
    ApiStatus status;
    std::wstring expected;
  };
  const Case cases[] = {
      {L"TRUE", StatusSuccess(),
       LR"({"result": "TRUE", "status": 0, "description": "success"})"},
      {L"FALSE", StatusUnknownError(),
       LR"({"result": "FALSE", "status": 9999, "description": "unknown error"})"},
      {L"", StatusUnknownError(),
       LR"({"result": "", "status": 9999, "description": "unknown error"})"},
      {L"a\"b\\c", StatusSuccess(),
       LR"({"result": "a"b\c", "status": 0, "description": "success"})"},
      {L"x", ApiStatus{-12, L"m"},
       LR"({"result": "x", "status": -12, "description": "m"})"},
      {L"x", ApiStatus{1234567, L""},
       LR"({"result": "x", "status": 1234567, "description": ""})"},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(BuildResultEnvelope(c.result, c.status), c.expected);
  }
  EXPECT_EQ(BuildResultEnvelope(L"TRUE", StatusSuccess()).size(), 57u);
  EXPECT_EQ(BuildResultEnvelope(L"FALSE", StatusUnknownError()).size(), 67u);
  EXPECT_EQ(BuildResultEnvelope(L"", StatusUnknownError()).size(), 62u);
}

TEST_F(ResultEnvelopeTest, StoredAsUtf8InABlockOfLengthPlusOne) {
  struct Case {
    std::wstring result;
    std::string expected;
  };
  const Case cases[] = {
      {L"TRUE", R"({"result": "TRUE", "status": 0, "description": "success"})"},
      {L"caf\u00e9 \u20ac \U0001F600",
       "{\"result\": \"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\", "
       "\"status\": "
       "0, \"description\": \"success\"}"},
      // The stored text ends before the first NUL: the closing segments go.
      {std::wstring(L"ab\0cd", 5), R"({"result": "ab)"},
      {std::wstring(L"\0", 1), R"({"result": ")"},
  };
  for (const Case &c : cases) {
    NPVariant result = {};
    SetResultEnvelope(c.result, StatusSuccess(), &result);
    ASSERT_EQ(result.type, NPVariantType_String);
    const NPString &s = result.value.stringValue;
    ASSERT_NE(s.UTF8Characters, nullptr);
    EXPECT_EQ(std::string(s.UTF8Characters, s.UTF8Length), c.expected);
    ASSERT_EQ(State().blocks.count((void *)s.UTF8Characters), 1u);
    EXPECT_EQ(State().blocks[(void *)s.UTF8Characters].size, s.UTF8Length + 1);
    EXPECT_EQ(s.UTF8Characters[s.UTF8Length], '\0');
    fakebrowser::ReleaseVariant(result);
  }
}

TEST_F(ResultEnvelopeTest, NothingStorableGivesAnEmptyStringVariant) {
  NPVariant result = {};
  result.type = NPVariantType_Int32;
  result.value.intValue = 5;
  SetVariantString(L"", &result);
  EXPECT_EQ(State().memallocCalls, 0);
  EXPECT_EQ(result.type, NPVariantType_String);
  EXPECT_EQ(result.value.stringValue.UTF8Characters, nullptr);
  EXPECT_EQ(result.value.stringValue.UTF8Length, 0u);

  SetVariantString(std::wstring(L"\0abc", 4), &result);
  EXPECT_EQ(State().memallocCalls, 0);
  EXPECT_EQ(result.value.stringValue.UTF8Characters, nullptr);

  State().failMemAlloc = 1;
  SetResultEnvelope(L"TRUE", StatusSuccess(), &result);
  EXPECT_EQ(State().memallocCalls, 1);
  EXPECT_EQ(result.type, NPVariantType_String);
  EXPECT_EQ(result.value.stringValue.UTF8Characters, nullptr);
  EXPECT_EQ(result.value.stringValue.UTF8Length, 0u);

  SetResultEnvelope(L"TRUE", StatusSuccess(), nullptr);
  EXPECT_EQ(State().memallocCalls, 1);
}

TEST(StatusTable, SeventySixUniqueRowsInStoredOrder) {
  const int32_t codes[] = {
      0,    9000, 9001, 9002, 9003, 9004, 9998, 9999, 1101, 1105, 1106,
      1107, 1110, 1111, 1112, 1113, 1114, 1115, 1116, 1117, 1118, 1119,
      1200, 1201, 1202, 1204, 1205, 1206, 1207, 1208, 1209, 1302, 1301,
      1304, 1350, 1900, 1901, 1902, 1903, 1904, 2200, 2100, 2101, 2102,
      2103, 1500, 1501, 1502, 1505, 1506, 1510, 1550, 4300, 4301, 4302,
      4303, 2800, 2801, 2802, 2803, 2804, 2805, 4500, 4501, 4502, 4503,
      4505, 4510, 4700, 4701, 4702, 4800, 4801, 4200, 4201, 4202};
  ASSERT_EQ(std::size(codes), StatusTable.size());
  std::set<int32_t> seen;
  for (size_t i = 0; i < StatusTable.size(); ++i) {
    EXPECT_EQ(StatusTable[i].code, codes[i]) << "row " << i + 1;
    EXPECT_FALSE(StatusTable[i].message.empty());
    seen.insert(StatusTable[i].code);
  }
  EXPECT_EQ(seen.size(), 76u);
}

TEST(StatusTable, MessagesAsDelivered) {
  struct Case {
    size_t row;
    const wchar_t *message;
  };
  for (const Case c : {
           Case{1, L"success"},
           Case{2, L"Parameter is null: "},
           Case{8, L"unknown error"},
           Case{7, L"the requested path doesn't exist"},
           Case{21, L"action failed, please check validity of destination "
                    L"path and disk space"},
           Case{38, L"Duplicate listener name, already exists."},
           Case{56, L"Legit Legit CharSet"},
           Case{72, L"Path doesn't exists in registry"},
           Case{76, L"Valid domain Uri"},
       }) {
    EXPECT_EQ(StatusTable[c.row - 1].message, c.message) << "row " << c.row;
  }
  EXPECT_EQ(&StatusSuccess(), &StatusTable[0]);
  EXPECT_EQ(StatusUnknownError().code, 9999);
  EXPECT_EQ(StatusUnknownError().message, L"unknown error");
}

} // namespace
