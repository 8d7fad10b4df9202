// The browser functions as a plug-in calls them through the table: real
// identifier, memory and object semantics, and a ledger that counts misuse
// without crashing.
#include "host/BrowserHost.h"
#include "tests/host/LedgerSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

using namespace nphost;

namespace {

class BrowserFunctions : public ::testing::Test {
protected:
  NPNetscapeFuncs f = MakeBrowserFuncs();
  Ledger before = CurrentLedger();

  Ledger Delta() const { return LedgerSince(before); }
};

TEST_F(BrowserFunctions, StringIdentifiersAreInternedAndGiveFreshCopies) {
  for (const char *name : {"GetMachineID", "getMachineID", "",
                           "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"}) {
    SCOPED_TRACE(name);
    NPIdentifier id = f.getstringidentifier(name);
    ASSERT_NE(id, nullptr);
    EXPECT_EQ(f.getstringidentifier(std::string(name).c_str()), id);
    EXPECT_TRUE(f.identifierisstring(id));

    NPUTF8 *first = f.utf8fromidentifier(id);
    NPUTF8 *second = f.utf8fromidentifier(id);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_STREQ(first, name);
    EXPECT_EQ(LiveBlockSize(first), std::strlen(name) + 1);
    EXPECT_EQ(Delta().liveBlocks, 2);
    f.memfree(first);
    f.memfree(second);
    EXPECT_EQ(Delta(), Ledger{});
  }
  EXPECT_NE(f.getstringidentifier("GetMachineID"),
            f.getstringidentifier("getMachineID"));
}

TEST_F(BrowserFunctions, IntIdentifiersHaveNoStringForm) {
  for (int32_t value : {0, -1, 7, INT32_MAX}) {
    SCOPED_TRACE(value);
    NPIdentifier id = f.getintidentifier(value);
    EXPECT_EQ(f.getintidentifier(value), id);
    EXPECT_FALSE(f.identifierisstring(id));
    EXPECT_EQ(f.intfromidentifier(id), value);
    EXPECT_EQ(f.utf8fromidentifier(id), nullptr);
  }
  EXPECT_NE(f.getintidentifier(7), f.getstringidentifier("7"));
  EXPECT_EQ(Delta(), Ledger{});
}

TEST_F(BrowserFunctions, BatchIdentifiersMatchSingleOnes) {
  const NPUTF8 *names[] = {"a", "b", "a"};
  NPIdentifier ids[3] = {};
  f.getstringidentifiers(names, 3, ids);
  EXPECT_EQ(ids[0], f.getstringidentifier("a"));
  EXPECT_EQ(ids[1], f.getstringidentifier("b"));
  EXPECT_EQ(ids[2], ids[0]);
}

TEST_F(BrowserFunctions, IdentifiersTheBrowserNeverMadeAreCountedNotRead) {
  int notAnIdentifier = 0;
  NPIdentifier foreign = &notAnIdentifier;
  EXPECT_EQ(f.utf8fromidentifier(foreign), nullptr);
  EXPECT_FALSE(f.identifierisstring(foreign));
  EXPECT_EQ(f.utf8fromidentifier(nullptr), nullptr);
  EXPECT_EQ(f.getstringidentifier(nullptr), nullptr);
  Ledger expected;
  expected.badIdentifiers = 4;
  EXPECT_EQ(Delta(), expected);
}

TEST_F(BrowserFunctions, MemoryMisuseIsCountedWithoutCrashing) {
  void *block = f.memalloc(10);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(LiveBlockSize(block), 10u);
  EXPECT_EQ(Delta().liveBlocks, 1);
  f.memfree(block);
  f.memfree(block); // twice
  int onTheStack = 0;
  f.memfree(&onTheStack); // never allocated
  f.memfree(nullptr);     // allowed, as with free
  auto *overrun = static_cast<char *>(f.memalloc(3));
  std::memcpy(overrun, "abcd", 4);
  f.memfree(overrun);

  Ledger expected;
  expected.badFrees = 2;
  expected.overruns = 1;
  EXPECT_EQ(Delta(), expected);
  EXPECT_EQ(LiveBlockSize(block), 0u);
}

TEST_F(BrowserFunctions, FailNextMemAllocFailsExactlyThatManyPluginCalls) {
  FailNextMemAlloc(2);
  EXPECT_EQ(f.memalloc(4), nullptr);
  // The browser's own copies are not aimed at.
  NPUTF8 *name = f.utf8fromidentifier(f.getstringidentifier("x"));
  EXPECT_STREQ(name, "x");
  f.memfree(name);
  EXPECT_EQ(f.memalloc(4), nullptr);
  void *third = f.memalloc(4);
  EXPECT_NE(third, nullptr);
  f.memfree(third);
  EXPECT_EQ(Delta(), Ledger{});
}

// A class that counts its allocate and deallocate calls.
struct Counted {
  static int allocations;
  static int deallocations;
  static NPP lastNpp;
  static NPObject *Allocate(NPP npp, NPClass *) {
    ++allocations;
    lastNpp = npp;
    return new NPObject{};
  }
  static void Deallocate(NPObject *object) {
    ++deallocations;
    delete object;
  }
  static NPObject *Null(NPP, NPClass *) { return nullptr; }
};
int Counted::allocations = 0;
int Counted::deallocations = 0;
NPP Counted::lastNpp = nullptr;

NPClass CountedClass() {
  NPClass c = {};
  c.structVersion = NP_CLASS_STRUCT_VERSION;
  c.allocate = Counted::Allocate;
  c.deallocate = Counted::Deallocate;
  return c;
}

TEST_F(BrowserFunctions, ObjectsAreCountedAndDeallocatedAtZero) {
  NPClass aClass = CountedClass();
  NPP_t npp = {};
  NPObject *object = f.createobject(&npp, &aClass);
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(Counted::allocations, 1);
  EXPECT_EQ(Counted::lastNpp, &npp);
  EXPECT_EQ(object->_class, &aClass);
  EXPECT_EQ(object->referenceCount, 1u);
  EXPECT_EQ(Delta().liveObjects, 1);

  EXPECT_EQ(f.retainobject(object), object);
  EXPECT_EQ(object->referenceCount, 2u);
  f.releaseobject(object);
  EXPECT_EQ(object->referenceCount, 1u);
  EXPECT_EQ(Counted::deallocations, 0);
  f.releaseobject(object);
  EXPECT_EQ(Counted::deallocations, 1);
  EXPECT_EQ(Delta(), Ledger{});

  f.releaseobject(object); // over-release: counted, not deallocated again
  f.retainobject(object);
  EXPECT_EQ(Counted::deallocations, 1);
  Ledger expected;
  expected.badReleases = 2;
  EXPECT_EQ(Delta(), expected);
}

TEST_F(BrowserFunctions, ClassWithoutAllocateGetsTheDefaultAllocation) {
  NPClass aClass = {};
  aClass.structVersion = NP_CLASS_STRUCT_VERSION;
  NPObject *object = f.createobject(nullptr, &aClass);
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->_class, &aClass);
  EXPECT_EQ(object->referenceCount, 1u);
  f.releaseobject(object);
  EXPECT_EQ(Delta(), Ledger{});
}

TEST_F(BrowserFunctions, FailedCreationGivesNullAndNoObject) {
  NPClass aClass = CountedClass();
  const int allocations = Counted::allocations;
  FailNextCreateObject();
  EXPECT_EQ(f.createobject(nullptr, &aClass), nullptr);
  EXPECT_EQ(Counted::allocations, allocations); // allocate never ran
  EXPECT_EQ(f.createobject(nullptr, nullptr), nullptr);
  aClass.allocate = Counted::Null;
  EXPECT_EQ(f.createobject(nullptr, &aClass), nullptr);
  EXPECT_EQ(Delta(), Ledger{});
}

TEST_F(BrowserFunctions, ReleaseVariantValueFreesWhatTheVariantOwns) {
  NPClass aClass = CountedClass();
  const int deallocations = Counted::deallocations;
  auto *bytes = static_cast<char *>(f.memalloc(3));
  std::memcpy(bytes, "ab", 3);
  static const char foreign[] = "ab";

  NPVariant variants[4] = {};
  variants[0].type = NPVariantType_String;
  variants[0].value.stringValue = NPString{bytes, 2};
  variants[1].type = NPVariantType_String;
  variants[1].value.stringValue = NPString{foreign, 2};
  variants[2].type = NPVariantType_Object;
  variants[2].value.objectValue = f.createobject(nullptr, &aClass);
  variants[3].type = NPVariantType_Int32;
  variants[3].value.intValue = 5;
  for (NPVariant &variant : variants) {
    f.releasevariantvalue(&variant);
    EXPECT_EQ(variant.type, NPVariantType_Void);
  }
  EXPECT_EQ(Counted::deallocations, deallocations + 1);
  Ledger expected;
  expected.badVariants = 1; // the string that was not from memalloc
  EXPECT_EQ(Delta(), expected);
}

TEST_F(BrowserFunctions, SetExceptionRecordsTheMessage) {
  f.setexception(nullptr, "Unknown method");
  EXPECT_TRUE(ExceptionSet());
  EXPECT_EQ(LastException(), "Unknown method");
  f.setexception(nullptr, nullptr);
  EXPECT_TRUE(ExceptionSet());
  EXPECT_EQ(LastException(), "");
}

TEST_F(BrowserFunctions, EveryCallIsCountedAndUnsupportedOnesFail) {
  const long total = BrowserCallCount();
  const long unsupported = UnsupportedCallCount();
  const long releases =
      BrowserCallCount(offsetof(NPNetscapeFuncs, releaseobject));
  f.releaseobject(nullptr);
  EXPECT_EQ(BrowserCallCount(offsetof(NPNetscapeFuncs, releaseobject)),
            releases + 1);

  NPP_t npp = {};
  NPVariant result = {};
  EXPECT_EQ(f.geturl(&npp, "about:blank", nullptr), NPERR_GENERIC_ERROR);
  EXPECT_EQ(f.uagent(&npp), nullptr);
  EXPECT_EQ(f.write(&npp, nullptr, 1, nullptr), -1);
  EXPECT_EQ(f.getvalue(&npp, NPNVWindowNPObject, nullptr), NPERR_GENERIC_ERROR);
  EXPECT_FALSE(f.invoke(&npp, nullptr, nullptr, nullptr, 0, &result));
  EXPECT_FALSE(f.hasmethod(&npp, nullptr, nullptr));
  EXPECT_EQ(f.scheduletimer(&npp, 10, true, nullptr), 0u);
  EXPECT_EQ(f.getauthenticationinfo(&npp, "", "", 0, "", "", nullptr, nullptr,
                                    nullptr, nullptr),
            NPERR_GENERIC_ERROR);
  f.urlredirectresponse(&npp, nullptr, false);
  EXPECT_EQ(UnsupportedCallCount(), unsupported + 9);
  EXPECT_EQ(BrowserCallCount(), total + 10);
}

TEST(BrowserTable, OffersEveryEntryOfTheSizeItAnnounces) {
  const NPNetscapeFuncs full = MakeBrowserFuncs();
  EXPECT_EQ(full.size, sizeof(NPNetscapeFuncs));
  EXPECT_EQ(full.version, (NP_VERSION_MAJOR << 8) | NP_VERSION_MINOR);
  const auto *entries = reinterpret_cast<const void *const *>(&full.geturl);
  const std::size_t count =
      (sizeof(NPNetscapeFuncs) - offsetof(NPNetscapeFuncs, geturl)) /
      sizeof(void *);
  for (std::size_t i = 0; i < count; ++i)
    EXPECT_NE(entries[i], nullptr) << "entry " << i;

  // One byte short of getauthenticationinfo: that entry and all after it are
  // missing, as in a browser with an older table.
  const NPNetscapeFuncs shorter = MakeBrowserFuncs(195, 0x00FF);
  EXPECT_EQ(shorter.size, 195);
  EXPECT_EQ(shorter.version, 0x00FF);
  EXPECT_NE(shorter.setvalueforurl, nullptr);
  EXPECT_EQ(shorter.getauthenticationinfo, nullptr);
  EXPECT_EQ(shorter.urlredirectresponse, nullptr);
}

} // namespace
