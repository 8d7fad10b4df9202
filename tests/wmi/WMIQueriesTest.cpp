// The query layer against fake services: values, order, result codes, and
// that every COM object of a query is released on every path.
#include "tests/wmi/CWMITestAccess.h"
#include "tests/wmi/FakeWbem.h"
#include "wmi/WMI.h"

#include <comdef.h>
#include <gtest/gtest.h>

using namespace fakewbem;

namespace {

constexpr wchar_t kQuery[] = L"SELECT Name FROM Thing";

class WMIQueries : public ::testing::Test {
protected:
  void SetUp() override { CWMITestAccess::AttachServices(m_wmi, m_services); }
  void TearDown() override {
    m_wmi.Disconnect();
    m_services->Release();
    EXPECT_EQ(LiveFakes(), 0) << "a fake COM object was left referenced";
  }
  void Answer(fakewbem::Answer answer) { m_services->answers[kQuery] = answer; }

  FakeServices *m_services = new FakeServices;
  CWMI m_wmi;
};

ObjectSpec Named(Property p) { return {{L"Name", p}}; }

TEST_F(WMIQueries, QueryValuesAppendsEveryValueInEnumerationOrder) {
  struct Case {
    const char *what;
    fakewbem::Answer answer;
    std::vector<std::wstring> before;
    HRESULT hr;
    std::vector<std::wstring> after;
  };
  const std::vector<ObjectSpec> three = {Named(Text(L"b")), Named(Text(L"a")),
                                         Named(Text(L"c"))};
  const Case cases[] = {
      {"no object", {}, {L"x"}, WBEM_S_FALSE, {L"x"}},
      {"order kept, nothing sorted",
       {S_OK, false, three},
       {},
       WBEM_S_FALSE,
       {L"b", L"a", L"c"}},
      {"values already there stay first",
       {S_OK, false, three},
       {L"z"},
       WBEM_S_FALSE,
       {L"z", L"b", L"a", L"c"}},
      {"null skipped",
       {S_OK, false, {Named(Text(L"1")), Named(Null()), Named(Text(L"3"))}},
       {},
       WBEM_S_FALSE,
       {L"1", L"3"}},
      {"equal values kept",
       {S_OK, false, {Named(Text(L"e")), Named(Text(L"e"))}},
       {},
       WBEM_S_FALSE,
       {L"e", L"e"}},
      {"number as text",
       {S_OK, false, {Named(Number(-42))}},
       {},
       WBEM_S_FALSE,
       {L"-42"}},
      {"null BSTR is empty text",
       {S_OK, false, {Named(NullBstr())}},
       {},
       WBEM_S_FALSE,
       {L""}},
      {"text ends at its first NUL",
       {S_OK, false, {Named(Text(std::wstring(L"ab\0cd", 5)))}},
       {},
       WBEM_S_FALSE,
       {L"ab"}},
      {"missing property: values before stay",
       {S_OK, false, {Named(Text(L"1")), {{L"Other", Text(L"2")}}, three[0]}},
       {},
       Hr(WBEM_E_NOT_FOUND),
       {L"1"}},
      {"ExecQuery fails",
       {Hr(WBEM_E_ACCESS_DENIED), false, three},
       {L"x"},
       Hr(WBEM_E_ACCESS_DENIED),
       {L"x"}},
      {"ExecQuery fails and still hands out an enumerator",
       {Hr(WBEM_E_FAILED), true, three},
       {},
       Hr(WBEM_E_FAILED),
       {}},
      {"a success without an object ends the enumeration",
       {S_OK, false, three, SIZE_MAX, S_OK, true},
       {},
       WBEM_S_FALSE,
       {L"b", L"a", L"c"}},
      {"Next fails: values before stay",
       {S_OK, false, three, 2, Hr(WBEM_E_TRANSPORT_FAILURE)},
       {},
       Hr(WBEM_E_TRANSPORT_FAILURE),
       {L"b", L"a"}},
  };
  for (const Case &c : cases) {
    Answer(c.answer);
    std::vector<std::wstring> values = c.before;
    EXPECT_EQ(m_wmi.QueryValues(kQuery, L"Name", values), c.hr) << c.what;
    EXPECT_EQ(values, c.after) << c.what;
    EXPECT_EQ(LiveFakes(), 1) << c.what << ": only the services may be left";
  }
}

TEST_F(WMIQueries, QueryValueReadsOnlyTheFirstObject) {
  struct Case {
    const char *what;
    fakewbem::Answer answer;
    HRESULT hr;
    std::wstring value; // the value starts as "old"
    int fetched;
  };
  const Case cases[] = {
      {"no object empties the value", {}, WBEM_S_FALSE, L"", 0},
      {"null first object",
       {S_OK, false, {Named(Null()), Named(Text(L"2"))}},
       WBEM_S_NO_ERROR,
       L"",
       1},
      {"several objects",
       {S_OK, false, {Named(Text(L"1")), Named(Text(L"2"))}},
       WBEM_S_NO_ERROR,
       L"1",
       1},
      {"number as text",
       {S_OK, false, {Named(Number(7))}},
       WBEM_S_NO_ERROR,
       L"7",
       1},
      {"missing property leaves the value",
       {S_OK, false, {{{L"Other", Text(L"1")}}}},
       Hr(WBEM_E_NOT_FOUND),
       L"old",
       1},
      {"ExecQuery fails",
       {Hr(WBEM_E_INVALID_CLASS), false, {}},
       Hr(WBEM_E_INVALID_CLASS),
       L"old",
       0},
      {"Next fails",
       {S_OK, false, {Named(Text(L"1"))}, 0, Hr(WBEM_E_FAILED)},
       Hr(WBEM_E_FAILED),
       L"old",
       0},
  };
  for (const Case &c : cases) {
    Answer(c.answer);
    m_services->calls.fetched = 0;
    std::wstring value = L"old";
    EXPECT_EQ(m_wmi.QueryValue(kQuery, L"Name", value), c.hr) << c.what;
    EXPECT_EQ(value, c.value) << c.what;
    EXPECT_EQ(m_services->calls.fetched, c.fetched) << c.what;
    EXPECT_EQ(LiveFakes(), 1) << c.what << ": only the services may be left";
  }
}

TEST_F(WMIQueries, QueryRunsAsForwardOnlyWqlFetchingOneObjectAtATime) {
  Answer({S_OK, false, {Named(Text(L"1"))}});
  std::vector<std::wstring> values;
  m_wmi.QueryValues(kQuery, L"Name", values);
  EXPECT_EQ(m_services->queries, std::vector<std::wstring>{kQuery});
  EXPECT_EQ(m_services->calls.language, L"WQL");
  EXPECT_EQ(m_services->calls.flags,
            WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY);
  EXPECT_EQ(m_services->calls.timeout, static_cast<LONG>(WBEM_INFINITE));
  EXPECT_EQ(m_services->calls.count, 1u);
}

TEST_F(WMIQueries, ArrayValueRaisesComErrorAndReleasesEveryObject) {
  Answer({S_OK, false, {Named(Text(L"1")), Named(TextArray())}});
  std::vector<std::wstring> values;
  try {
    m_wmi.QueryValues(kQuery, L"Name", values);
    ADD_FAILURE() << "no _com_error";
  } catch (const _com_error &e) {
    EXPECT_TRUE(FAILED(e.Error()));
  }
  EXPECT_EQ(values, std::vector<std::wstring>{L"1"});
  EXPECT_EQ(LiveFakes(), 1);

  Answer({S_OK, false, {Named(TextArray())}});
  std::wstring value = L"old";
  EXPECT_THROW(m_wmi.QueryValue(kQuery, L"Name", value), _com_error);
  EXPECT_EQ(value, L"old");
  EXPECT_EQ(LiveFakes(), 1);
}

TEST_F(WMIQueries, QueryPropertiesFillsEntriesInKeyOrderUpToAFailedRead) {
  Answer({S_OK,
          false,
          {{{L"A", Text(L"1")}, {L"B", Null()}, {L"D", Text(L"4")}}}});
  PropertyMap properties = {
      {L"D", L"d"}, {L"B", L"b"}, {L"A", L"a"}, {L"C", L"c"}};
  // A and B read (B null, so kept); C missing stops the read; D not reached.
  EXPECT_EQ(m_wmi.QueryProperties(kQuery, properties), Hr(WBEM_E_NOT_FOUND));
  EXPECT_EQ(
      properties,
      (PropertyMap{{L"A", L"1"}, {L"B", L"b"}, {L"C", L"c"}, {L"D", L"d"}}));

  properties = {{L"A", L"a"}, {L"D", L"d"}};
  EXPECT_EQ(m_wmi.QueryProperties(kQuery, properties), WBEM_S_NO_ERROR);
  EXPECT_EQ(properties, (PropertyMap{{L"A", L"1"}, {L"D", L"4"}}));
}

} // namespace
