// ScriptCall through the command itself, with a browser table whose memory
// functions are the C heap's.
#include "tests/launcher/ScriptCall.h"

#include "launcher/ExecuteProcessCommand.h"
#include "plugin/BrowserFuncs.h"

#include <cstdlib>

namespace launchtest {

namespace {

void *MemAlloc(uint32_t size) { return std::malloc(size); }
void MemFree(void *block) { std::free(block); }

} // namespace

std::string CallExecuteProcess(const std::vector<NPVariant> &args) {
  BrowserFuncs.memalloc = MemAlloc;
  BrowserFuncs.memfree = MemFree;
  NPVariant result = {};
  result.type = NPVariantType_Void;
  ExecuteProcess(args.data(), static_cast<uint32_t>(args.size()), &result);
  if (result.type != NPVariantType_String)
    return "(void)";
  const NPString &text = result.value.stringValue;
  std::string answer(text.UTF8Characters, text.UTF8Length);
  MemFree(const_cast<NPUTF8 *>(text.UTF8Characters));
  return answer;
}

std::string CallExecuteProcess(const std::string &path,
                               const std::string &arguments) {
  NPVariant args[2] = {};
  for (NPVariant &arg : args)
    arg.type = NPVariantType_String;
  args[0].value.stringValue = {path.data(), static_cast<uint32_t>(path.size())};
  args[1].value.stringValue = {arguments.data(),
                               static_cast<uint32_t>(arguments.size())};
  return CallExecuteProcess(std::vector<NPVariant>(args, args + 2));
}

} // namespace launchtest
