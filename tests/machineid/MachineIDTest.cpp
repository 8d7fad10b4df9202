// Collection and derivation of the identifier over fake WMI services and a
// scripted hash service: which facts are read, in what order, what is hashed,
// and the failure texts.
#include "machineid/ErrorCode.h"
#include "tests/machineid/CMachineIDTestAccess.h"
#include "tests/machineid/Queries.h"
#include "tests/wmi/CWMITestAccess.h"
#include "tests/wmi/FakeWbem.h"

#include <comdef.h>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace fakewbem;

namespace {

FakeServices *g_services = nullptr;

HRESULT ConnectToFake(CWMI &wmi) {
  CWMITestAccess::AttachServices(wmi, g_services);
  return S_OK;
}
HRESULT ConnectPartlyThenFail(CWMI &wmi) {
  CWMITestAccess::AttachServices(wmi, g_services);
  return static_cast<HRESULT>(0x80041003);
}

// The hash service with scripted failures; 0 lets the real one serve.
struct HashScript {
  DWORD sha512 = 0;
  DWORD sha1 = 0;
  std::vector<std::pair<std::wstring, HashAlgorithm>> calls;
} g_hash;

DWORD ScriptedHash(const std::wstring &text, std::wstring &digest,
                   HashAlgorithm algorithm) {
  g_hash.calls.emplace_back(text, algorithm);
  const DWORD code =
      algorithm == HashAlgorithm::Sha512 ? g_hash.sha512 : g_hash.sha1;
  return code != 0 ? code : ComputeHash(text, digest, algorithm);
}

class MachineIDTest : public ::testing::Test {
protected:
  void SetUp() override {
    g_services = new FakeServices;
    g_hash = {};
  }
  void TearDown() override {
    g_services->Release();
    EXPECT_EQ(LiveFakes(), 0) << "a fake COM object was left referenced";
  }

  static void Adapters(const std::vector<std::wstring> &macs) {
    fakewbem::Answer answer;
    for (const std::wstring &mac : macs)
      answer.objects.push_back({{L"MacAddress", Text(mac)}});
    g_services->answers[kAdapterQuery] = answer;
  }
  static void AdapterQueryFails(HRESULT hr) {
    g_services->answers[kAdapterQuery] = {hr, false, {}};
  }
  static void Processor(std::vector<ObjectSpec> objects) {
    g_services->answers[kProcessorQuery] = {S_OK, false, std::move(objects)};
  }
  static void ProcessorQueryFails(HRESULT hr) {
    g_services->answers[kProcessorQuery] = {hr, false, {}};
  }
  static ObjectSpec Cpu(const std::wstring &id) {
    return {{L"ProcessorId", Text(id)}};
  }

  static std::unique_ptr<CMachineID> Compute() {
    return CMachineIDTestAccess::Make(ConnectToFake, ScriptedHash);
  }
  // The one text hashed, when exactly one was.
  static std::wstring HashedText() {
    EXPECT_FALSE(g_hash.calls.empty());
    return g_hash.calls.empty() ? L"" : g_hash.calls.front().first;
  }
};

TEST(FormatErrorCode, LowerCaseHexWithoutFill) {
  const std::pair<uint32_t, const wchar_t *> cases[] = {
      {0, L"0"},
      {5, L"5"},
      {0x10, L"10"},
      {0xABCDEF, L"abcdef"},
      {0x80041003, L"80041003"},
      {0x80090016, L"80090016"},
      {0xFFFFFFFF, L"ffffffff"},
  };
  for (const auto &[code, text] : cases)
    EXPECT_EQ(FormatErrorCode(code), text);
}

TEST_F(MachineIDTest, LeastMacAddressByUtf16UnitsIsChosen) {
  struct Case {
    std::vector<std::wstring> macs;
    std::wstring chosen;
  };
  const Case cases[] = {
      {{L"00:50:56:C0:00:08"}, L"00:50:56:C0:00:08"},
      {{L"00:50:00:00:00:01", L"00:1B:00:00:00:02", L"0A:00:00:00:00:03"},
       L"00:1B:00:00:00:02"},
      {{L"0A:00:00:00:00:03", L"00:50:00:00:00:01", L"00:1B:00:00:00:02"},
       L"00:1B:00:00:00:02"},
      {{L"00:1b:00:00:00:02", L"00:1B:00:00:00:02"}, L"00:1B:00:00:00:02"},
      {{L"00:1B:00", L"00:1B"}, L"00:1B"},
      {{L"\u00e9", L"z"}, L"z"},
      // By units, not code points: a surrogate (D83D) orders before U+FF21.
      {{L"\uFF21", L"\U0001F600"}, L"\U0001F600"},
  };
  for (const Case &c : cases) {
    g_hash = {};
    Adapters(c.macs);
    ProcessorQueryFails(Hr(WBEM_E_FAILED));
    const auto id = Compute();
    EXPECT_EQ(HashedText(), c.chosen + c.chosen);
    EXPECT_EQ(id->MachineId().size(), 86u);
    EXPECT_EQ(id->ErrorText(), L"");
  }
}

TEST_F(MachineIDTest, MacAddressFailureTexts) {
  struct Case {
    const char *what;
    fakewbem::Answer answer;
    std::wstring errorText;
  };
  const Case cases[] = {
      {"query fails",
       {static_cast<HRESULT>(0x80041003), false, {}},
       L"Error while getting adapter mac address. Error Code: 0x80041003"},
      {"no adapter", {}, L"No valid adapter mac address was found"},
      {"an empty entry sorts first",
       {S_OK,
        false,
        {{{L"MacAddress", Text(L"00:1B:00:00:00:02")}},
         {{L"MacAddress", Text(L"")}}}},
       L"Mac address wasn't found"},
      {"entries before a failed fetch are dropped",
       {S_OK,
        false,
        {{{L"MacAddress", Text(L"00:1B")}}},
        1,
        Hr(WBEM_E_TRANSPORT_FAILURE)},
       L"Error while getting adapter mac address. Error Code: 0x80041015"},
  };
  Adapters({L"00:1B"});
  Processor({Cpu(L"0123456789ABCDEF")});
  const auto id = Compute();
  for (const Case &c : cases) {
    g_services->answers[kAdapterQuery] = c.answer;
    EXPECT_EQ(CMachineIDTestAccess::CollectMacAddress(*id), L"") << c.what;
    EXPECT_EQ(id->ErrorText(), c.errorText) << c.what;
  }
  // A successful collection leaves the last failure text alone.
  Adapters({L"00:1B"});
  EXPECT_EQ(CMachineIDTestAccess::CollectMacAddress(*id), L"00:1B");
  EXPECT_EQ(id->ErrorText(), cases[3].errorText);
}

TEST_F(MachineIDTest, BothSourcesFailingLeaveTheProcessorTextAndHashNothing) {
  struct Case {
    const char *what;
    std::vector<ObjectSpec> processor; // used when the query succeeds
    HRESULT processorQuery;
    std::wstring errorText;
  };
  const Case cases[] = {
      {"query fails",
       {},
       static_cast<HRESULT>(0x80041010),
       L"Error while getting processor serial number. Error Code: 0x80041010"},
      {"no CPU0", {}, S_OK, L"Processor serial number wasn't found"},
      {"null identifier",
       {{{L"ProcessorId", Null()}}},
       S_OK,
       L"Processor serial number wasn't found"},
      {"empty identifier",
       {Cpu(L"")},
       S_OK,
       L"Processor serial number wasn't found"},
  };
  for (const bool adapterQueryFails : {true, false}) {
    for (const Case &c : cases) {
      g_hash = {};
      if (adapterQueryFails)
        AdapterQueryFails(static_cast<HRESULT>(0x80041003));
      else
        Adapters({});
      if (SUCCEEDED(c.processorQuery))
        Processor(c.processor);
      else
        ProcessorQueryFails(c.processorQuery);
      const auto id = Compute();
      EXPECT_EQ(id->MachineId(), L"") << c.what;
      EXPECT_EQ(id->ErrorText(), c.errorText) << c.what;
      EXPECT_TRUE(g_hash.calls.empty()) << c.what;
    }
  }
}

TEST_F(MachineIDTest, MacAddressComesFirstAndALoneSourceIsWrittenTwice) {
  struct Case {
    const char *what;
    bool mac, cpu;
    std::wstring hashed;
  };
  const Case cases[] = {
      {"both", true, true, L"00:11:22:33:44:55 0123 "},
      {"MAC alone", true, false, L"00:11:22:33:44:5500:11:22:33:44:55"},
      {"processor alone", false, true, L" 0123  0123 "},
  };
  for (const Case &c : cases) {
    g_hash = {};
    g_services->queries.clear();
    if (c.mac)
      Adapters({L"00:11:22:33:44:55"});
    else
      AdapterQueryFails(static_cast<HRESULT>(0x80041001));
    if (c.cpu)
      Processor({Cpu(L" 0123 "), Cpu(L"other")});
    else
      Processor({});
    const auto id = Compute();
    EXPECT_EQ(g_services->queries,
              (std::vector<std::wstring>{kAdapterQuery, kProcessorQuery}));
    ASSERT_EQ(g_hash.calls.size(), 1u) << c.what;
    EXPECT_EQ(g_hash.calls[0].first, c.hashed) << c.what;
    EXPECT_EQ(g_hash.calls[0].second, HashAlgorithm::Sha512);
    EXPECT_EQ(id->ErrorText(), L"") << c.what;
  }
}

TEST_F(MachineIDTest, IdentifiersOfTheWorkedExamples) {
  struct Case {
    std::wstring mac, cpu, identifier;
  };
  const Case cases[] = {
      {L"00:11:22:33:44:55", L"0123456789ABCDEF",
       L"FHAVFNJUYVN0UIGNNWJVZ5XEHTLJQDY0G5HMVQZZNMJRDSBMM3DTTUMJ9X9QBLHSGOBU/"
       L"C5BIAMRDN6O8OV6MA"},
      {L"00:11:22:33:44:55", L"",
       L"UVU3M/"
       L"O7ALHXGDNIKMT7NFPKKCL7DNXTN5BHXSKRMQEBLHNPRBOXZG1ZY8D3KPT7W5DJJAS9AORG"
       L"PA1VC+AWOA"},
      {L"", L"0123456789ABCDEF",
       L"AXAM2WQV6TDEQWYU6UZV8PIZSKCRA7S3FGA2NK62PK5ATESB18XIJTF35XLZ6EMZH/B/"
       L"GO2QQVHQWQTUI1FN0G"},
  };
  for (const Case &c : cases) {
    if (c.mac.empty())
      Adapters({});
    else
      Adapters({c.mac});
    Processor({Cpu(c.cpu)});
    const auto id = CMachineIDTestAccess::Make(ConnectToFake, ComputeHash);
    EXPECT_EQ(id->MachineId(), c.identifier);
    EXPECT_EQ(id->ErrorText(), L"");
  }
}

TEST_F(MachineIDTest, Sha1ServesWhenSha512FailsAndItsCodeIsReported) {
  Adapters({L"00:11:22:33:44:55"});
  Processor({Cpu(L"0123456789ABCDEF")});
  const std::wstring combined = L"00:11:22:33:44:550123456789ABCDEF";
  const std::vector<std::pair<std::wstring, HashAlgorithm>> bothTried = {
      {combined, HashAlgorithm::Sha512}, {combined, HashAlgorithm::Sha1}};

  g_hash.sha512 = 0x80090016;
  auto id = Compute();
  EXPECT_EQ(id->MachineId(), L"TOSN2GQPWWJT4S86FHSFJUD03GI");
  EXPECT_EQ(id->ErrorText(), L"");
  EXPECT_EQ(g_hash.calls, bothTried);

  g_hash = {0x80090016, 5, {}};
  id = Compute();
  EXPECT_EQ(id->MachineId(), L"");
  EXPECT_EQ(id->ErrorText(), L"Unable to hash Machine ID. Error Code: 0x5");
  EXPECT_EQ(g_hash.calls, bothTried);
}

TEST_F(MachineIDTest, FailedConnectionQueriesNothingAndIsStillTornDown) {
  Adapters({L"00:11:22:33:44:55"});
  Processor({Cpu(L"0123456789ABCDEF")});
  {
    const auto id =
        CMachineIDTestAccess::Make(ConnectPartlyThenFail, ScriptedHash);
    EXPECT_EQ(id->MachineId(), L"");
    EXPECT_EQ(id->ErrorText(),
              L"Error while initializing WMI. Error Code: 0x80041003");
  }
  EXPECT_TRUE(g_services->queries.empty());
  EXPECT_TRUE(g_hash.calls.empty());
  EXPECT_EQ(LiveFakes(), 1) << "the connection's reference was not released";
}

TEST_F(MachineIDTest, ExceptionDuringConstructionReleasesTheConnection) {
  g_services->answers[kAdapterQuery] = {
      S_OK, false, {{{L"MacAddress", TextArray()}}}};
  Processor({Cpu(L"0123456789ABCDEF")});
  EXPECT_THROW(Compute(), _com_error);
  EXPECT_EQ(LiveFakes(), 1) << "the connection's reference was not released";
}

} // namespace
