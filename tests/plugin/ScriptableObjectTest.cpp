// What page script gets from the scriptable object: which names run a command,
// and how a failing command is answered.
#include "plugin/BrowserFuncs.h"
#include "plugin/PalomirFirefoxApiProvider.h"
#include "plugin/ResultEnvelope.h"
#include "tests/plugin/ShellFixture.h"

#include <functional>
#include <new>
#include <stdexcept>
#include <string>

namespace {

using fakebrowser::State;
using fakebrowser::StringOf;

constexpr char kFailureEnvelope[] =
    R"({"result": "", "status": 9999, "description": "unknown error"})";
constexpr char kTrueEnvelope[] =
    R"({"result": "TRUE", "status": 0, "description": "success"})";

class ScriptableObjectTest : public ShellTest {
protected:
  void SetUp() override {
    ShellTest::SetUp();
    m_object = Scriptable();
    ASSERT_NE(m_object, nullptr);
  }
  void TearDown() override {
    ShellTest::TearDown();
    if (m_object)
      BrowserFuncs.releaseobject(m_object);
    EXPECT_TRUE(fakebrowser::Clean()) << "a block or object outlived the test";
  }

  struct Answer {
    bool succeeded;
    NPVariantType type;
    std::string text;
  };
  // One script call as a browser makes it: void result in, result released
  // after it was read.
  Answer Call(NPIdentifier name, const NPVariant *args = nullptr,
              uint32_t argCount = 0) {
    NPVariant result = {};
    result.type = NPVariantType_Void;
    State().exception.clear();
    Answer answer{
        m_object->_class->invoke(m_object, name, args, argCount, &result),
        result.type, StringOf(result)};
    fakebrowser::ReleaseVariant(result);
    return answer;
  }
  Answer Call(const std::string &name) {
    return Call(fakebrowser::StringId(name));
  }

  NPObject *m_object = nullptr;
};

TEST_F(ScriptableObjectTest, ClassRecordOffersOnlyItsSlots) {
  const NPClass *c = m_object->_class;
  EXPECT_EQ(c->structVersion, 3u);
  EXPECT_EQ(c->invalidate, nullptr);
  EXPECT_EQ(c->setProperty, nullptr);
  EXPECT_EQ(c->removeProperty, nullptr);
  EXPECT_EQ(c->enumerate, nullptr);
  EXPECT_EQ(c->construct, nullptr);
}

TEST_F(ScriptableObjectTest, NamesThatAreNoMethodAnswerVoidAndRunNothing) {
  for (const char *name :
       {"valueOf", "getMachineID", "GETMACHINEID", "executeProcess",
        "GetMachineID ", "ExecuteProcessX", "toString", ""}) {
    SCOPED_TRACE(name);
    const Answer answer = Call(name);
    EXPECT_TRUE(answer.succeeded);
    EXPECT_EQ(answer.type, NPVariantType_Void);
    EXPECT_EQ(State().exceptionCalls, 0);
  }
  EXPECT_EQ(fakecommands::Seen().getMachineId, 0);
  EXPECT_EQ(fakecommands::Seen().executeProcess, 0);
  // Every name copy the browser made was given back (checked in TearDown).
}

TEST_F(ScriptableObjectTest, PropertiesAndCallingTheObjectGiveVoid) {
  const NPClass *c = m_object->_class;
  for (const char *name : {"GetMachineID", "anything", "length"}) {
    NPIdentifier id = fakebrowser::StringId(name);
    EXPECT_TRUE(c->hasMethod(m_object, id));
    EXPECT_TRUE(c->hasProperty(m_object, id));
    NPVariant result = {};
    result.type = NPVariantType_Void;
    EXPECT_TRUE(c->getProperty(m_object, id, &result));
    EXPECT_EQ(result.type, NPVariantType_Void);
  }
  NPVariant result = {};
  result.type = NPVariantType_Void;
  EXPECT_TRUE(c->invokeDefault(m_object, nullptr, 0, &result));
  EXPECT_EQ(result.type, NPVariantType_Void);
  EXPECT_EQ(fakecommands::Seen().getMachineId, 0);
  EXPECT_EQ(State().calls, 2); // only the object request's create and retain
}

TEST_F(ScriptableObjectTest, NameWithoutTextOrNoObjectFailsWithoutException) {
  EXPECT_FALSE(Call(fakebrowser::IntId(7)).succeeded);
  NPVariant result = {};
  EXPECT_FALSE(m_object->_class->invoke(
      nullptr, fakebrowser::StringId("GetMachineID"), nullptr, 0, &result));
  EXPECT_EQ(State().exceptionCalls, 0);
  EXPECT_EQ(fakecommands::Seen().getMachineId, 0);
}

TEST_F(ScriptableObjectTest, MethodsRunTheirCommandsWithTheirArguments) {
  const Answer machine = Call("GetMachineID");
  EXPECT_TRUE(machine.succeeded);
  EXPECT_EQ(machine.text, kTrueEnvelope);
  EXPECT_EQ(fakecommands::Seen().getMachineId, 1);

  NPVariant args[2] = {};
  NPIdentifier execute = fakebrowser::StringId("ExecuteProcess");
  const Answer launched = Call(execute, args, 2);
  EXPECT_TRUE(launched.succeeded);
  EXPECT_EQ(launched.text, kTrueEnvelope);
  EXPECT_EQ(fakecommands::Seen().executeProcess, 1);
  EXPECT_EQ(fakecommands::Seen().lastArgs, args);
  EXPECT_EQ(fakecommands::Seen().lastArgCount, 2u);

  // The launcher's own answer counts, not its return value.
  fakecommands::Behaviour = [](NPVariant *result) {
    SetResultEnvelope(L"FALSE", StatusUnknownError(), result);
    return false;
  };
  const Answer refused = Call(execute, args, 2);
  EXPECT_TRUE(refused.succeeded);
  EXPECT_EQ(
      refused.text,
      R"({"result": "FALSE", "status": 9999, "description": "unknown error"})");
  EXPECT_EQ(State().exceptionCalls, 0);
}

TEST_F(ScriptableObjectTest,
       ThrowingCommandFailsWithUnknownMethodThenRecovers) {
  const std::function<bool(NPVariant *)> throwers[] = {
      [](NPVariant *) -> bool { throw std::bad_alloc(); },
      [](NPVariant *) -> bool { throw std::length_error("long"); },
      [](NPVariant *) -> bool { throw 42; },
  };
  for (const auto &thrower : throwers) {
    for (const char *method : {"GetMachineID", "ExecuteProcess"}) {
      SCOPED_TRACE(method);
      fakecommands::Behaviour = thrower;
      const long exceptionsBefore = State().exceptionCalls;
      const Answer failed = Call(method);
      EXPECT_FALSE(failed.succeeded);
      EXPECT_EQ(State().exceptionCalls, exceptionsBefore + 1);
      EXPECT_EQ(State().exception, "Unknown method");
      EXPECT_EQ(State().exceptionObject, m_object);
      // The failure answer is not left in the result for a browser that
      // never frees the result of a failed call.
      EXPECT_EQ(failed.type, NPVariantType_Void);
      EXPECT_TRUE(State().blocks.empty());

      fakecommands::Reset();
      const Answer next = Call(method);
      EXPECT_TRUE(next.succeeded);
      EXPECT_EQ(next.text, kTrueEnvelope);
      EXPECT_EQ(State().exceptionCalls, exceptionsBefore + 1);
    }
  }
}

TEST_F(ScriptableObjectTest, DispatchStoresTheFailureAnswerWhenACommandThrows) {
  CPalomirFirefoxApiProvider provider;
  fakecommands::Behaviour = [](NPVariant *) -> bool { throw std::bad_alloc(); };
  NPVariant result = {};
  EXPECT_FALSE(provider.DispatchMethod("GetMachineID", nullptr, 0, &result));
  EXPECT_EQ(StringOf(result), kFailureEnvelope);
  fakebrowser::ReleaseVariant(result);

  // Out of memory even for the failure answer: still no exception escapes.
  State().failMemAlloc = 1;
  result = {};
  EXPECT_FALSE(provider.DispatchMethod("GetMachineID", nullptr, 0, &result));
  EXPECT_EQ(result.type, NPVariantType_String);
  EXPECT_EQ(result.value.stringValue.UTF8Characters, nullptr);
}

TEST_F(ScriptableObjectTest, DispatchWithoutResultOrNameRunsNoCommand) {
  CPalomirFirefoxApiProvider provider;
  EXPECT_TRUE(provider.DispatchMethod("GetMachineID", nullptr, 0, nullptr));
  EXPECT_TRUE(provider.DispatchMethod("ExecuteProcess", nullptr, 0, nullptr));
  NPVariant result = {};
  EXPECT_TRUE(provider.DispatchMethod(nullptr, nullptr, 0, &result));
  EXPECT_EQ(StringOf(result), kFailureEnvelope);
  fakebrowser::ReleaseVariant(result);
  EXPECT_EQ(fakecommands::Seen().getMachineId, 0);
  EXPECT_EQ(fakecommands::Seen().executeProcess, 0);
}

} // namespace
