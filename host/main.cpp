// nphost: loads a plug-in like a browser, makes one script call on one
// embedded object, prints the answer and checks after teardown that the
// plug-in leaked nothing and freed nothing twice.
#include "host/BrowserHost.h"
#include "host/HostText.h"
#include "host/HostileInput.h"
#include "host/PluginDiscovery.h"
#include "host/Soak.h"

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using nphost::CallResult;
using nphost::PluginInstance;
using nphost::PluginLibrary;

enum ExitCode {
  kOk = 0,
  kCallFailed = 1,   // the call failed; its exception message is on stderr
  kLedgerDirty = 2,  // after teardown something leaked or was freed twice
  kUsage = 3,        // the command line is wrong
  kPluginFailed = 4, // the plug-in did not load, start, embed or give its
                     // scriptable object
};

const char kUsageText[] =
    "usage: nphost PLUGIN METHOD [ARG...]  call METHOD with string ARGs\n"
    "       nphost PLUGIN --get NAME       read the property NAME\n"
    "       nphost PLUGIN --info           MIME type, name and description\n"
    "       nphost PLUGIN --soak --fixtures DIR [--scale F] [--timing-bound]\n"
    "       nphost PLUGIN --hostile [--seed N] [--calls N] [--first N]\n"
    "                       [--max-string N] [--replay N] [--hang S] "
    "[--verbose]\n"
    "       nphost --mime TYPE METHOD|--get|--info ...\n"
    "                                      the same with the plug-in "
    "installed\n"
    "                                      for TYPE, found as the browser "
    "does\n"
    "The plug-in must declare the MIME type "
    "application/palomir-firefox-plugin_10_16_0_0.\n"
    "A string answer is printed as its exact bytes and a newline; a void one "
    "as (void).\n"
    "Exit: 0 answered, 1 the call failed (its exception on stderr), 2 the\n"
    "plug-in leaked or freed twice, 3 usage, 4 the plug-in did not load.\n";

void Write(FILE *stream, const std::string &bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
}

void Error(const std::string &message) {
  Write(stderr, "nphost: " + message + "\n");
}

// The value as a script would print it; a string exactly as its bytes.
std::string Printable(const CallResult &result) {
  switch (result.type) {
  case NPVariantType_Void:
    return "(void)";
  case NPVariantType_Null:
    return "(null)";
  case NPVariantType_Bool:
    return result.boolValue ? "true" : "false";
  case NPVariantType_Int32:
    return std::to_string(result.intValue);
  case NPVariantType_Double: {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", result.doubleValue);
    return text;
  }
  case NPVariantType_String:
    return result.text;
  case NPVariantType_Object:
    return "(object)";
  }
  return "(unknown variant type " + std::to_string(result.type) + ")";
}

int Report(const CallResult &result, const std::string &what) {
  if (result.succeeded) {
    Write(stdout, Printable(result) + "\n");
    return kOk;
  }
  if (result.exceptionSet)
    Write(stderr, result.exception + "\n");
  else
    Error(what + " failed without an exception");
  return kCallFailed;
}

// One mode of the command: what it does with the embedded object.
struct Mode {
  const char *flag; // null for the default: a method call
  std::size_t minArgs;
  std::size_t maxArgs;
  bool needsObject; // page script reaches the object first
  int (*run)(PluginLibrary &, PluginInstance &,
             const std::vector<std::string> &);
};

int RunCall(PluginLibrary &, PluginInstance &instance,
            const std::vector<std::string> &args) {
  const std::vector<std::string> callArgs(args.begin() + 1, args.end());
  return Report(instance.InvokeStrings(args[0], callArgs), args[0]);
}

int RunGet(PluginLibrary &, PluginInstance &instance,
           const std::vector<std::string> &args) {
  return Report(instance.GetProperty(args[0]), "reading " + args[0]);
}

int RunInfo(PluginLibrary &library, PluginInstance &instance,
            const std::vector<std::string> &) {
  const char *name = nullptr;
  const char *description = nullptr;
  if (instance.GetValue(NPPVpluginNameString, &name) != NPERR_NO_ERROR ||
      instance.GetValue(NPPVpluginDescriptionString, &description) !=
          NPERR_NO_ERROR ||
      !name || !description) {
    Error("NPP_GetValue gave no name or description");
    return kCallFailed;
  }
  Write(stdout, "MIME type: " + library.DeclaredMimeTypes() + "\n");
  Write(stdout, std::string("Name: ") + name + "\n");
  Write(stdout, std::string("Description: ") + description + "\n");
  return kOk;
}

const Mode kModes[] = {
    {"--info", 0, 0, false, RunInfo},
    {"--get", 1, 1, true, RunGet},
    {nullptr, 1, SIZE_MAX, true, RunCall},
};

// The plug-in's life around one mode: load, start, embed, run, tear down.
int Run(const std::wstring &pluginPath, const std::string &mimeType,
        const Mode &mode, const std::vector<std::string> &args) {
  int code = kOk;
  {
    std::string error;
    std::unique_ptr<PluginLibrary> library =
        PluginLibrary::LoadStarted(pluginPath, mimeType, error);
    if (!library) {
      Error(error);
      return kPluginFailed;
    }
    PluginInstance instance(*library);
    if (const NPError created = instance.New()) {
      Error("NPP_New failed (NPError " + std::to_string(created) + ")");
      return kPluginFailed;
    }
    if (const NPError set = instance.SetWindow()) {
      Error("NPP_SetWindow failed (NPError " + std::to_string(set) + ")");
      return kPluginFailed;
    }
    if (mode.needsObject && !instance.ScriptableObject()) {
      Error("the plug-in gave no scriptable object");
      return kPluginFailed;
    }
    code = mode.run(*library, instance, args);
    std::fflush(stdout);
  }
  if (!nphost::LedgerClean()) {
    Error("after teardown: " + nphost::DescribeLedger(nphost::CurrentLedger()));
    return kLedgerDirty;
  }
  return code;
}

// The command line as the user typed it, wide, so that any text reaches the
// plug-in as UTF-8.
bool Arguments(std::vector<std::wstring> &wide) {
  int count = 0;
  LPWSTR *argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!argv)
    return false;
  UniqueHLocal owner(argv);
  wide.assign(argv, argv + count);
  return true;
}

} // namespace

int main() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);

  std::vector<std::wstring> wide;
  if (!Arguments(wide)) {
    Error("cannot read the command line");
    return kUsage;
  }
  if (wide.size() == 2 && (wide[1] == L"--help" || wide[1] == L"-h")) {
    Write(stdout, kUsageText);
    return kOk;
  }
  // --mime TYPE: the plug-in is the installed one that declares TYPE.
  std::string mimeType = nphost::kPalomirMimeType;
  if (wide.size() >= 2 && wide[1] == L"--mime") {
    if (wide.size() < 4 || !nphost::WideToUtf8Strict(wide[2], mimeType)) {
      Write(stderr, kUsageText);
      return kUsage;
    }
    std::string error;
    const std::wstring found = FindPluginByMimeType(mimeType, error);
    if (found.empty()) {
      Error(error);
      return kPluginFailed;
    }
    wide.erase(wide.begin() + 1);
    wide[1] = found;
  }
  if (wide.size() < 3) {
    Write(stderr, kUsageText);
    return kUsage;
  }

  std::vector<std::string> args;
  for (std::size_t i = 3; i < wide.size(); ++i) {
    std::string utf8;
    if (!nphost::WideToUtf8Strict(wide[i], utf8)) {
      Error("argument " + std::to_string(i - 2) + " is not valid Unicode");
      return kUsage;
    }
    args.push_back(utf8);
  }
  std::string word;
  if (!nphost::WideToUtf8Strict(wide[2], word)) {
    Error("the method name is not valid Unicode");
    return kUsage;
  }
  // The long runs drive the plug-in themselves, with their own checks.
  if (word == "--soak")
    return nphost::RunSoak(wide[1], args);
  if (word == "--hostile")
    return nphost::RunHostileInput(wide[1], args);

  const Mode *mode = nullptr;
  for (const Mode &candidate : kModes) {
    if (candidate.flag ? word == candidate.flag
                       : word.compare(0, 2, "--") != 0) {
      mode = &candidate;
      break;
    }
  }
  if (!mode) {
    Error("unknown mode " + word);
    Write(stderr, kUsageText);
    return kUsage;
  }
  if (!mode->flag)
    args.insert(args.begin(), word);
  if (args.size() < mode->minArgs || args.size() > mode->maxArgs) {
    Error("wrong number of arguments for " +
          std::string(mode->flag ? mode->flag : "a call"));
    Write(stderr, kUsageText);
    return kUsage;
  }
  return Run(wide[1], mimeType, *mode, args);
}
