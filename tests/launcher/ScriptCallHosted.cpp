// ScriptCall through the built plug-in library in the test browser: one
// library and one embedded object for the whole test program, as one page.
#include "tests/launcher/ScriptCall.h"

#include "host/BrowserHost.h"
#include "host/BuiltPluginPath.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

namespace launchtest {

namespace {

struct Page {
  std::unique_ptr<nphost::PluginLibrary> library;
  std::unique_ptr<nphost::PluginInstance> instance;
};

nphost::PluginInstance *Embedded() {
  static Page page = [] {
    Page p;
    std::string error;
    p.library = nphost::PluginLibrary::LoadStarted(
        nphost::BuiltPluginPath(), nphost::kPalomirMimeType, error);
    if (!p.library) {
      ADD_FAILURE() << "the plug-in did not load: " << error;
      return p;
    }
    p.instance = std::make_unique<nphost::PluginInstance>(*p.library);
    if (p.instance->New() != NPERR_NO_ERROR ||
        p.instance->SetWindow() != NPERR_NO_ERROR ||
        p.instance->ScriptableObject() == nullptr) {
      ADD_FAILURE() << "the plug-in did not embed";
      p.instance.reset();
    }
    return p;
  }();
  return page.instance.get();
}

} // namespace

std::string CallExecuteProcess(const std::vector<NPVariant> &args) {
  nphost::PluginInstance *instance = Embedded();
  if (instance == nullptr)
    return "(no plug-in)";
  const nphost::Ledger before = nphost::CurrentLedger();
  const nphost::CallResult call = instance->Invoke("ExecuteProcess", args);
  // Nothing the call obtained from the browser is still held once the script
  // has read the answer.
  EXPECT_TRUE(nphost::CurrentLedger() == before);
  EXPECT_TRUE(call.succeeded);
  EXPECT_FALSE(call.exceptionSet) << call.exception;
  if (call.type != NPVariantType_String)
    return "(void)";
  return call.text;
}

std::string CallExecuteProcess(const std::string &path,
                               const std::string &arguments) {
  nphost::PluginInstance *instance = Embedded();
  if (instance == nullptr)
    return "(no plug-in)";
  return CallExecuteProcess(
      {nphost::StringVariant(path), nphost::StringVariant(arguments)});
}

} // namespace launchtest
