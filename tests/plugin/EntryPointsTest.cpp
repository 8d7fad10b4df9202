// The exports' table checks and the instance lifecycle, on the shell.
#include "plugin/BrowserFuncs.h"
#include "plugin/PluginInstance.h"
#include "plugin/ScriptablePluginObject.h"
#include "tests/plugin/ShellFixture.h"

#include <cstring>

namespace {

using fakebrowser::State;

TEST(EntryPoints, PluginTableNeedsSixtyBytesAndIsFilledNoFurther) {
  struct Case {
    uint16_t size;
    NPError expected;
  };
  for (const Case c :
       {Case{0, NPERR_INVALID_FUNCTABLE_ERROR},
        Case{59, NPERR_INVALID_FUNCTABLE_ERROR}, Case{60, NPERR_NO_ERROR},
        Case{sizeof(NPPluginFuncs), NPERR_NO_ERROR}}) {
    SCOPED_TRACE(c.size);
    NPPluginFuncs funcs;
    std::memset(&funcs, 0xAB, sizeof(funcs));
    funcs.size = c.size;
    NPPluginFuncs before = funcs;
    EXPECT_EQ(NP_GetEntryPoints(&funcs), c.expected);
    EXPECT_EQ(funcs.size, c.size);
    // Nothing past setvalue is written, whatever the table's size.
    EXPECT_EQ(std::memcmp(reinterpret_cast<char *>(&funcs) + 60,
                          reinterpret_cast<char *>(&before) + 60,
                          sizeof(funcs) - 60),
              0);
    if (c.expected != NPERR_NO_ERROR) {
      EXPECT_EQ(std::memcmp(&funcs, &before, sizeof(funcs)), 0);
      continue;
    }
    EXPECT_EQ(funcs.version, 22);
    EXPECT_EQ(funcs.javaClass, nullptr);
    for (void *slot :
         {(void *)funcs.newp, (void *)funcs.destroy, (void *)funcs.setwindow,
          (void *)funcs.newstream, (void *)funcs.destroystream,
          (void *)funcs.asfile, (void *)funcs.writeready, (void *)funcs.write,
          (void *)funcs.print, (void *)funcs.event, (void *)funcs.urlnotify,
          (void *)funcs.getvalue, (void *)funcs.setvalue}) {
      EXPECT_NE(slot, nullptr);
      EXPECT_NE(slot, before.newp);
    }
  }
  EXPECT_EQ(NP_GetEntryPoints(nullptr), NPERR_INVALID_FUNCTABLE_ERROR);
}

TEST(EntryPoints, BrowserTableVersionIsCheckedBeforeSize) {
  struct Case {
    uint16_t size;
    uint16_t version;
    NPError expected;
  };
  for (const Case c : {Case{195, 27, NPERR_INVALID_FUNCTABLE_ERROR},
                       Case{196, 27, NPERR_NO_ERROR},
                       Case{sizeof(NPNetscapeFuncs), 27, NPERR_NO_ERROR},
                       Case{196, 0x0100, NPERR_INCOMPATIBLE_VERSION_ERROR},
                       Case{100, 0x0100, NPERR_INCOMPATIBLE_VERSION_ERROR},
                       Case{196, 0x00FF, NPERR_NO_ERROR},
                       Case{0, 0, NPERR_INVALID_FUNCTABLE_ERROR}}) {
    SCOPED_TRACE(testing::Message() << c.size << " " << c.version);
    BrowserFuncs = {};
    NPNetscapeFuncs table = fakebrowser::Table();
    table.size = c.size;
    table.version = c.version;
    EXPECT_EQ(NP_Initialize(&table), c.expected);
    // A refused table leaves nothing behind.
    EXPECT_EQ(BrowserFuncs.memalloc != nullptr, c.expected == NPERR_NO_ERROR);
  }
  EXPECT_EQ(NP_Initialize(nullptr), NPERR_INVALID_FUNCTABLE_ERROR);
}

TEST(EntryPoints, CopyKeepsSizeAndVersionAndStopsAtSetException) {
  NPNetscapeFuncs table = fakebrowser::Table();
  table.size = 200;
  table.version = 0x00FF;
  ASSERT_EQ(NP_Initialize(&table), NPERR_NO_ERROR);
  EXPECT_EQ(BrowserFuncs.size, 200);
  EXPECT_EQ(BrowserFuncs.version, 0x00FF);
  EXPECT_EQ(BrowserFuncs.memalloc, table.memalloc);
  EXPECT_EQ(BrowserFuncs.setexception, table.setexception);
  EXPECT_EQ(BrowserFuncs.pushpopupsenabledstate, nullptr);
  EXPECT_EQ(BrowserFuncs.getauthenticationinfo, nullptr);
  // Shutting down keeps the copy.
  EXPECT_EQ(NP_Shutdown(), NPERR_NO_ERROR);
  EXPECT_EQ(BrowserFuncs.memalloc, table.memalloc);
}

TEST_F(ShellTest, NullInstanceIsRefusedEverywhere) {
  uint16_t stype = NP_NORMAL;
  NPObject *value = nullptr;
  NPWindow window = {};
  EXPECT_EQ(
      m_funcs.newp(nullptr, nullptr, NP_EMBED, 0, nullptr, nullptr, nullptr),
      NPERR_INVALID_INSTANCE_ERROR);
  EXPECT_EQ(m_funcs.destroy(nullptr, nullptr), NPERR_INVALID_INSTANCE_ERROR);
  EXPECT_EQ(m_funcs.setwindow(nullptr, &window), NPERR_INVALID_INSTANCE_ERROR);
  EXPECT_EQ(m_funcs.getvalue(nullptr, NPPVpluginScriptableNPObject, &value),
            NPERR_INVALID_INSTANCE_ERROR);
  EXPECT_EQ(m_funcs.newstream(nullptr, nullptr, nullptr, false, &stype),
            NPERR_INVALID_INSTANCE_ERROR);
  EXPECT_EQ(m_funcs.destroystream(nullptr, nullptr, NPRES_DONE),
            NPERR_INVALID_INSTANCE_ERROR);
  EXPECT_EQ(m_funcs.setvalue(nullptr, NPNVprivateModeBool, nullptr),
            NPERR_INVALID_INSTANCE_ERROR);
  EXPECT_EQ(m_funcs.writeready(nullptr, nullptr), 2);
  EXPECT_EQ(m_funcs.write(nullptr, nullptr, 0, 1000, nullptr), 2);
  EXPECT_EQ(m_funcs.event(nullptr, nullptr), 0);
  EXPECT_EQ(value, nullptr);
  EXPECT_EQ(State().calls, 0);
}

TEST_F(ShellTest, StreamsAreTakenAndDiscarded) {
  char data[1000] = {};
  NPStream stream = {};
  uint16_t stype = NP_ASFILE;
  EXPECT_EQ(m_funcs.newstream(&m_npp, nullptr, &stream, false, &stype),
            NPERR_NO_ERROR);
  EXPECT_EQ(stype, NP_ASFILE);
  EXPECT_EQ(m_funcs.writeready(&m_npp, &stream), 268435455);
  EXPECT_EQ(m_funcs.write(&m_npp, &stream, 0, 1000, data), 1000);
  m_funcs.asfile(&m_npp, &stream, "C:\\x");
  EXPECT_EQ(m_funcs.destroystream(&m_npp, &stream, NPRES_DONE), NPERR_NO_ERROR);
  EXPECT_EQ(m_funcs.event(&m_npp, data), 0);
  m_funcs.print(&m_npp, nullptr);
  m_funcs.urlnotify(&m_npp, "http://x/", NPRES_DONE, nullptr);
  EXPECT_EQ(m_funcs.setvalue(&m_npp, NPNVprivateModeBool, data),
            NPERR_NO_ERROR);
  EXPECT_EQ(State().calls, 0);
}

TEST_F(ShellTest, SetWindowKeepsTheFirstHandle) {
  auto *record = static_cast<PluginInstance *>(m_npp.pdata);
  HWND first = reinterpret_cast<HWND>(0x1234);
  HWND second = reinterpret_cast<HWND>(0x5678);
  NPWindow noHandle = {};
  NPWindow withFirst = {};
  withFirst.window = first;
  NPWindow withSecond = {};
  withSecond.window = second;

  EXPECT_EQ(m_funcs.setwindow(&m_npp, nullptr), NPERR_GENERIC_ERROR);
  EXPECT_EQ(m_funcs.setwindow(&m_npp, &noHandle), NPERR_NO_ERROR);
  EXPECT_FALSE(record->m_initialized);
  EXPECT_EQ(record->m_window, nullptr);
  EXPECT_EQ(m_funcs.setwindow(&m_npp, &withFirst), NPERR_NO_ERROR);
  EXPECT_TRUE(record->m_initialized);
  EXPECT_EQ(record->m_hWnd, first);
  EXPECT_EQ(record->m_window, &withFirst);
  for (NPWindow *later : {&withSecond, &noHandle}) {
    EXPECT_EQ(m_funcs.setwindow(&m_npp, later), NPERR_NO_ERROR);
    EXPECT_TRUE(record->m_initialized);
    EXPECT_EQ(record->m_hWnd, first);
    EXPECT_EQ(record->m_window, &withFirst);
  }
}

TEST_F(ShellTest, GetValueAnswersNameDescriptionAndObjectOnly) {
  const char *text = nullptr;
  EXPECT_EQ(m_funcs.getvalue(&m_npp, NPPVpluginNameString, &text),
            NPERR_NO_ERROR);
  EXPECT_STREQ(text, "NPRuntimeTest");
  EXPECT_EQ(m_funcs.getvalue(&m_npp, NPPVpluginDescriptionString, &text),
            NPERR_NO_ERROR);
  EXPECT_STREQ(text, "NPRuntime scriptability API test plugin");
  for (NPPVariable other :
       {NPPVpluginNeedsXEmbed, NPPVpluginWindowBool, NPPVjavaClass,
        NPPVpluginScriptableInstance, NPPVformValue, NPPVpluginDrawingModel,
        static_cast<NPPVariable>(0)}) {
    SCOPED_TRACE(other);
    void *value = reinterpret_cast<void *>(0x5A5A5A5A);
    EXPECT_EQ(m_funcs.getvalue(&m_npp, other, &value), NPERR_GENERIC_ERROR);
    EXPECT_EQ(value, reinterpret_cast<void *>(0x5A5A5A5A));
  }
  EXPECT_EQ(State().calls, 0);
}

TEST_F(ShellTest, NppWithoutRecord) {
  NPP_t bare = {};
  NPWindow window = {};
  window.window = reinterpret_cast<void *>(0x1234);
  const char *text = nullptr;
  EXPECT_EQ(m_funcs.getvalue(&bare, NPPVpluginNameString, &text),
            NPERR_GENERIC_ERROR);
  EXPECT_EQ(m_funcs.getvalue(&bare, NPPVpluginScriptableNPObject, &text),
            NPERR_GENERIC_ERROR);
  EXPECT_EQ(text, nullptr);
  EXPECT_EQ(m_funcs.setwindow(&bare, &window), NPERR_GENERIC_ERROR);
  EXPECT_EQ(m_funcs.destroy(&bare, nullptr), NPERR_NO_ERROR);
  EXPECT_EQ(State().calls, 0);
}

TEST_F(ShellTest, EachObjectRequestAddsOneReferenceAndDestroyReleasesOne) {
  NPObject *first = Scriptable();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->referenceCount, 2u); // the record's and the browser's
  EXPECT_EQ(ScriptablePluginObject::FromNPObject(first)->m_npp, &m_npp);
  NPObject *second = Scriptable();
  EXPECT_EQ(second, first);
  EXPECT_EQ(first->referenceCount, 3u);
  EXPECT_EQ(State().createCalls, 1);

  EXPECT_EQ(m_funcs.destroy(&m_npp, nullptr), NPERR_NO_ERROR);
  EXPECT_EQ(m_npp.pdata, nullptr);
  EXPECT_EQ(State().releaseCalls, 1);
  EXPECT_EQ(first->referenceCount, 2u);
  EXPECT_EQ(State().liveObjects, 1); // the browser still holds it

  BrowserFuncs.releaseobject(first);
  BrowserFuncs.releaseobject(second);
  EXPECT_TRUE(fakebrowser::Clean());
}

TEST_F(ShellTest, DestroyingWithoutObjectCallsNoBrowserFunction) {
  NPWindow window = {};
  window.window = reinterpret_cast<void *>(0x1234);
  m_funcs.setwindow(&m_npp, &window);
  EXPECT_EQ(m_funcs.destroy(&m_npp, nullptr), NPERR_NO_ERROR);
  EXPECT_EQ(State().calls, 0);
  // A late second destroy finds no record.
  EXPECT_EQ(m_funcs.destroy(&m_npp, nullptr), NPERR_NO_ERROR);
  EXPECT_EQ(State().calls, 0);
}

TEST_F(ShellTest, FailedCreationAnswersNullAndIsRetried) {
  State().failCreate = 1;
  NPObject *object = reinterpret_cast<NPObject *>(0x1);
  EXPECT_EQ(m_funcs.getvalue(&m_npp, NPPVpluginScriptableNPObject, &object),
            NPERR_NO_ERROR);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(State().retainCalls, 0);
  object = Scriptable();
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->referenceCount, 2u);
  m_funcs.destroy(&m_npp, nullptr);
  BrowserFuncs.releaseobject(object);
  EXPECT_TRUE(fakebrowser::Clean());
}

TEST_F(ShellTest, ObjectRequestWithoutOutParameterMakesNoObject) {
  EXPECT_EQ(m_funcs.getvalue(&m_npp, NPPVpluginScriptableNPObject, nullptr),
            NPERR_INVALID_PARAM);
  EXPECT_EQ(m_funcs.getvalue(&m_npp, NPPVpluginNameString, nullptr),
            NPERR_INVALID_PARAM);
  EXPECT_EQ(State().calls, 0);
}

} // namespace
