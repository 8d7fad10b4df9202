// The random driver: each call draws from its own generator, seeded by the
// run's seed and the call's index, so any call of any run can be replayed
// alone. A watchdog thread fails the run, naming the call, when one hangs.
#include "host/HostileInput.h"

#include "host/BrowserHost.h"
#include "host/BrowserState.h"
#include "host/EnvelopeCheck.h"
#include "host/Measure.h"

#include <windows.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <thread>

namespace nphost {
namespace {

void Print(const std::string &line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

uint64_t SplitMix(uint64_t x) {
  x += 0x9E3779B97F4A7C15ULL;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
  return x ^ (x >> 31);
}

// The generator of one call; only the raw outputs of mt19937_64 are used,
// which the standard fixes, so a seed means the same calls everywhere.
class Draw {
public:
  Draw(uint64_t seed, uint64_t index)
      : m_rng(SplitMix(seed ^ SplitMix(index))) {}
  uint64_t Bits() { return m_rng(); }
  // 0 .. n-1
  uint32_t Below(uint32_t n) {
    return n ? static_cast<uint32_t>(m_rng() % n) : 0;
  }
  bool OneIn(uint32_t n) { return Below(n) == 0; }
  // 0 .. max, most often short: each power of two up to max is as likely.
  std::size_t Length(std::size_t max) {
    if (max == 0)
      return 0;
    const auto bits =
        static_cast<uint32_t>(std::log2(static_cast<double>(max)));
    const std::size_t top = std::size_t(1) << Below(bits + 2);
    return std::min<std::size_t>(max, Below(static_cast<uint32_t>(top)));
  }

private:
  std::mt19937_64 m_rng;
};

const char *const kRealNames[] = {"GetMachineID", "ExecuteProcess", "valueOf"};

// Pieces of text that converters and parsers trip on.
const char *const kNastyPieces[] = {
    "\xC0\x80",                 // overlong NUL
    "\xED\xA0\x80",             // lone high surrogate, as CESU-8
    "\xED\xB0\x80",             // lone low surrogate
    "\xED\xA0\xBD\xED\xB8\x80", // a surrogate pair as two 3-byte forms
    "\xF4\x90\x80\x80",         // above U+10FFFF
    "\xF8\x88\x80\x80\x80",     // 5-byte form
    "\xE2\x82",                 // truncated
    "\x80",                     // lone continuation
    "\xFF\xFE",                 // never valid
    "\xEF\xBB\xBF",             // byte order mark
    "\xF0\x9F\x98\x80",         // U+1F600
    "\xC3\xA9",                 // U+00E9
    "\"}{\\",                   // what would break an unescaped envelope
    "\\u0000",
    "\r\n\t",
    "%s%n%x",
    "..\\..\\",
};

std::string RandomText(Draw &draw, std::size_t length) {
  std::string text;
  text.reserve(length + 8);
  const uint32_t mode = draw.Below(4);
  while (text.size() < length) {
    switch (mode == 3 ? draw.Below(3) : mode) {
    case 0: { // any byte, NUL included; eight from one draw
      uint64_t bits = draw.Bits();
      for (int k = 0; k < 8; ++k, bits >>= 8)
        text += static_cast<char>(bits & 0xFF);
      break;
    }
    case 1: { // letters and digits, as names and paths mostly are
      uint64_t bits = draw.Bits();
      for (int k = 0; k < 8; ++k, bits >>= 8)
        text += static_cast<char>('0' + (bits & 0xFF) % 75);
      break;
    }
    default: {
      const char *piece = kNastyPieces[draw.Below(sizeof kNastyPieces /
                                                  sizeof kNastyPieces[0])];
      text += piece;
      if (draw.OneIn(4))
        text += '\0';
      break;
    }
    }
  }
  text.resize(length);
  return text;
}

// A name in other letter case, cut short, or with something around it.
std::string VariantOfRealName(Draw &draw) {
  std::string name = kRealNames[draw.Below(3)];
  switch (draw.Below(5)) {
  case 0:
    for (char &c : name)
      if (draw.OneIn(3))
        c = static_cast<char>(
            std::isupper(static_cast<unsigned char>(c))
                ? std::tolower(static_cast<unsigned char>(c))
                : std::toupper(static_cast<unsigned char>(c)));
    break;
  case 1:
    name.resize(draw.Below(static_cast<uint32_t>(name.size())));
    break;
  case 2:
    name += RandomText(draw, 1 + draw.Length(64));
    break;
  case 3:
    name = RandomText(draw, 1 + draw.Length(16)) + name;
    break;
  default:
    name += ' ';
    break;
  }
  return name;
}

// What a name is to the browser: NPN_GetStringIdentifier takes a C string.
std::string AsIdentifierName(const std::string &bytes) {
  return std::string(bytes.c_str());
}

// Arguments and the storage that keeps their bytes alive.
struct Arguments {
  std::vector<std::string> storage;
  std::vector<NPVariant> variants;
  std::string description;
};

// Room for every string first, so pointers into it stay put.
Arguments RandomArguments(Draw &draw, std::size_t maxString,
                          NPObject *objects[2], bool pathLike) {
  Arguments a;
  const uint32_t count = draw.Below(9);
  a.storage.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    NPVariant v;
    v.value.objectValue = nullptr;
    // String arguments twice as often as each other kind: they reach the
    // conversions and the file system.
    const uint32_t kind = draw.Below(9);
    switch (kind) {
    case 0:
      v.type = NPVariantType_Void;
      a.description += " void";
      break;
    case 1:
      v.type = NPVariantType_Null;
      a.description += " null";
      break;
    case 2:
      v.type = NPVariantType_Bool;
      v.value.boolValue = draw.OneIn(2);
      a.description += " bool";
      break;
    case 3: {
      const int32_t edges[] = {0, -1, INT32_MIN, INT32_MAX};
      v.type = NPVariantType_Int32;
      v.value.intValue = draw.OneIn(2) ? edges[draw.Below(4)]
                                       : static_cast<int32_t>(draw.Bits());
      a.description += " int";
      break;
    }
    case 4: {
      const double edges[] = {std::numeric_limits<double>::quiet_NaN(),
                              std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(),
                              std::numeric_limits<double>::denorm_min(), -0.0};
      uint64_t bits = draw.Bits();
      double any;
      std::memcpy(&any, &bits, sizeof any);
      v.type = NPVariantType_Double;
      v.value.doubleValue = draw.OneIn(2) ? edges[draw.Below(5)] : any;
      a.description += " double";
      break;
    }
    case 5:
      v.type = NPVariantType_Object;
      v.value.objectValue = draw.OneIn(4) ? nullptr : objects[draw.Below(2)];
      a.description += v.value.objectValue ? " object" : " null-object";
      break;
    default: {
      std::size_t length = draw.Length(maxString);
      std::string text;
      if (pathLike && draw.OneIn(2)) {
        const char *roots[] = {"C:\\", "Z:\\tmp\\", "C:\\windows\\",
                               ".\\",  "\\",        "C:"};
        text = roots[draw.Below(6)];
      }
      text += RandomText(draw, length);
      // Never a network path: a page's UNC name would send the driver to
      // the network, which this run must not reach.
      while (text.size() >= 2 && (text[0] == '\\' || text[0] == '/') &&
             (text[1] == '\\' || text[1] == '/'))
        text.erase(0, 1);
      a.storage.push_back(std::move(text));
      v.type = NPVariantType_String;
      v.value.stringValue.UTF8Characters = a.storage.back().data();
      v.value.stringValue.UTF8Length =
          static_cast<uint32_t>(a.storage.back().size());
      // A browser bug: a null text with a length.
      if (draw.OneIn(50)) {
        v.value.stringValue.UTF8Characters = nullptr;
        a.description += " string(null," +
                         std::to_string(v.value.stringValue.UTF8Length) + ")";
      } else {
        a.description +=
            " string(" + std::to_string(a.storage.back().size()) + ")";
      }
      break;
    }
    }
    a.variants.push_back(v);
  }
  return a;
}

std::string Escaped(const std::string &bytes, std::size_t limit = 48) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size() && i < limit; ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  if (bytes.size() > limit)
    out += "...(" + std::to_string(bytes.size()) + " bytes)";
  return out;
}

// A program path a page could name that is no program file: devices, pipes,
// folders, wildcards, over-long and quoted names.
std::vector<std::string> HostilePaths() {
  std::vector<std::string> paths = {
      "",
      "NUL",
      "CON",
      "CONIN$",
      "CONOUT$",
      "AUX",
      "PRN",
      "COM1",
      "LPT1",
      "\\\\.\\NUL",
      "\\\\.\\pipe\\nphost-no-such-pipe",
      "\\\\?\\C:\\",
      "C:\\",
      ".",
      "..",
      "C:\\windows",
      "C:\\windows\\system32\\notepad.exe",
      "\"C:\\windows\\system32\\notepad.exe\"",
      "C:\\windows\\system32\\notepad.exe. ",
      "C:\\windows\\*.exe",
      "*",
      "?",
      "Z:\\dev\\null",
      "Z:\\dev\\zero",
      "Z:\\dev\\urandom",
      "Z:\\proc\\self\\mem",
      "C:\\windows\\system32\\kernel32.dll",
      "C:\\windows\\system32\\notepad.exe:stream"};
  paths.push_back("C:\\" + std::string(300, 'a') + ".exe");
  paths.push_back("C:\\" + std::string(40000, 'b'));
  paths.push_back("\\\\?\\C:\\" + std::string(40000, 'c'));
  return paths;
}

// What one call did, seen from the page.
struct Outcome {
  bool returned = false;
  bool succeeded = false;
  NPVariantType type = NPVariantType_Void;
  std::string text;
  bool exceptionSet = false;
  std::string exception;
};

class Driver {
public:
  Driver(PluginLibrary &library, uint64_t seed, std::size_t maxString,
         bool verbose)
      : m_library(library), m_seed(seed), m_maxString(maxString),
        m_verbose(verbose), m_paths(HostilePaths()) {}

  bool Begin();
  void Call(uint64_t index);
  void End();
  std::size_t Faults() const { return m_faults; }
  std::size_t Calls() const { return m_calls; }
  // Per kind of call: how many, and the seconds they took.
  struct Tally {
    std::size_t calls = 0;
    double seconds = 0;
  };
  const std::map<std::string, Tally> &Kinds() const { return m_kinds; }

  // The watchdog's view of the call in progress.
  std::atomic<double> m_callStart{0};
  std::mutex m_describeLock;
  std::string m_current;

private:
  void Count(const std::string &kind) { m_kind = kind; }
  void Describe(const std::string &what) {
    std::lock_guard<std::mutex> lock(m_describeLock);
    m_current = what;
    if (m_verbose)
      Print(what);
  }
  void Fault(uint64_t index, const std::string &what) {
    ++m_faults;
    if (m_faults <= 20) {
      std::lock_guard<std::mutex> lock(m_describeLock);
      Print("FAULT in call " + std::to_string(index) + " (" + m_current +
            "): " + what + "\n  replay: --seed " + std::to_string(m_seed) +
            " --first " + std::to_string(index) + " --calls 1");
    }
  }
  // Between calls the ledger holds the page's object and the driver's own;
  // after a fault, the next comparison starts from what it found, so each
  // leak counts once.
  void CheckLedger(uint64_t index) {
    const Ledger now = CurrentLedger();
    if (now != m_expected) {
      Fault(index, "ledger " + DescribeLedger(now));
      m_expected = now;
    }
  }

  // The check that every answer of a method call gets.
  std::string Judge(const std::string &name, bool stringIdentifier,
                    bool resultGiven, const Outcome &o);
  Outcome InvokeDirect(NPObject *object, NPIdentifier id, const NPVariant *args,
                       uint32_t count, bool withResult);

  void ScriptCall(Draw &draw, uint64_t index);
  void HostilePathCall(Draw &draw, uint64_t index);
  void ClassSlotCall(Draw &draw, uint64_t index);
  void Misuse(Draw &draw, uint64_t index);

  PluginLibrary &m_library;
  const uint64_t m_seed;
  const std::size_t m_maxString;
  const bool m_verbose;
  const std::vector<std::string> m_paths;
  std::unique_ptr<PluginInstance> m_page;
  NPClass *m_class = nullptr; // the plug-in's class, for direct slot calls
  NPObject *m_own = nullptr;  // an object of the browser's, as an argument
  NPClass m_ownClass = {};
  std::size_t m_faults = 0;
  std::size_t m_calls = 0;
  Ledger m_expected;
  std::map<std::string, Tally> m_kinds;
  std::string m_kind;
};

bool Driver::Begin() {
  m_page.reset(new PluginInstance(m_library));
  if (m_page->New() != NPERR_NO_ERROR ||
      m_page->SetWindow() != NPERR_NO_ERROR || !m_page->ScriptableObject())
    return false;
  m_class = m_page->ScriptableObject()->_class;
  m_ownClass.structVersion = 3;
  m_own = state::CreateObject(m_page->Npp(), &m_ownClass);
  m_expected = CurrentLedger();
  return m_own != nullptr && m_expected.liveObjects == 2;
}

void Driver::End() {
  state::ReleaseObject(m_own);
  m_own = nullptr;
  m_page->Destroy();
  m_page.reset();
}

std::string Driver::Judge(const std::string &name, bool stringIdentifier,
                          bool resultGiven, const Outcome &o) {
  if (!stringIdentifier) {
    if (o.succeeded || o.exceptionSet)
      return "an identifier without a name did not fail quietly";
    return "";
  }
  const bool command = name == "GetMachineID" || name == "ExecuteProcess";
  if (!command || !resultGiven) {
    if (!o.succeeded || o.exceptionSet || o.type != NPVariantType_Void)
      return "a name that runs nothing did not answer void";
    return "";
  }
  if (!o.succeeded)
    return "the call failed with exception \"" + o.exception + "\"";
  if (o.type != NPVariantType_String)
    return "the answer is no string";
  Envelope envelope;
  std::string why;
  if (!ParseEnvelope(o.text, envelope, why))
    return "bad envelope (" + why + "): " + Escaped(o.text, 200);
  // Nothing this driver names is a signed program.
  if (name == "ExecuteProcess" &&
      (envelope.status != 9999 || envelope.result != "FALSE"))
    return "ExecuteProcess was not refused: " + o.text;
  return "";
}

Outcome Driver::InvokeDirect(NPObject *object, NPIdentifier id,
                             const NPVariant *args, uint32_t count,
                             bool withResult) {
  Outcome o;
  state::BeginCall();
  NPVariant result;
  result.type = NPVariantType_Void;
  result.value.objectValue = nullptr;
  o.succeeded =
      m_class->invoke(object, id, args, count, withResult ? &result : nullptr);
  o.returned = true;
  o.exceptionSet = ExceptionSet();
  o.exception = LastException();
  o.type = result.type;
  if (result.type == NPVariantType_String) {
    const NPString &s = result.value.stringValue;
    if (s.UTF8Characters && (!state::IsLiveBlock(s.UTF8Characters) ||
                             s.UTF8Length > LiveBlockSize(s.UTF8Characters)))
      state::CountBadVariant();
    else if (s.UTF8Characters)
      o.text.assign(s.UTF8Characters, s.UTF8Length);
  }
  // A browser drops the value of a failed call unread and unfreed.
  if (o.succeeded)
    state::ReleaseVariantValue(&result);
  return o;
}

void Driver::ScriptCall(Draw &draw, uint64_t index) {
  // Which name: mostly random bytes, then variants of the real names, the
  // two commands with random arguments, and rarely the costly GetMachineID.
  const uint32_t pick = draw.Below(10000);
  std::string bytes;
  std::string kind;
  if (pick < 5) {
    bytes = "GetMachineID";
    kind = "GetMachineID";
  } else if (pick < 1500) {
    bytes = "ExecuteProcess";
    kind = "ExecuteProcess random";
  } else if (pick < 3500) {
    bytes = VariantOfRealName(draw);
    kind = "name variant";
  } else {
    bytes = RandomText(draw, draw.Length(4096));
    kind = "random name";
  }
  std::string name = AsIdentifierName(bytes);
  // Only the picks above run the slow command.
  if (pick >= 5 && name == "GetMachineID") {
    bytes[0] = 'g';
    name[0] = 'g';
  }
  NPObject *objects[2] = {m_page->ScriptableObject(), m_own};
  // Only ExecuteProcess reads its arguments: the long strings go there, and
  // to other names only now and then.
  const std::size_t longest =
      name == "ExecuteProcess" || draw.OneIn(100) ? m_maxString : 4096;
  Arguments args =
      RandomArguments(draw, longest, objects, name == "ExecuteProcess");
  const bool byInteger = kind == "random name" && draw.OneIn(20);
  if (byInteger)
    kind = "integer identifier";
  Count(kind);
  Describe(kind + " \"" + Escaped(bytes) + "\" (" +
           std::to_string(args.variants.size()) + " args:" + args.description +
           ")");
  const NPIdentifier id = byInteger
                              ? IntIdentifier(static_cast<int32_t>(draw.Bits()))
                              : StringIdentifier(bytes);
  const CallResult call = m_page->Invoke(id, args.variants);
  Outcome o;
  o.returned = true;
  o.succeeded = call.succeeded;
  o.type = call.type;
  o.text = call.text;
  o.exceptionSet = call.exceptionSet;
  o.exception = call.exception;
  const std::string fault = Judge(name, !byInteger, true, o);
  if (!fault.empty())
    Fault(index, fault);
}

void Driver::HostilePathCall(Draw &draw, uint64_t index) {
  const std::string &path =
      m_paths[draw.Below(static_cast<uint32_t>(m_paths.size()))];
  const std::string argument = RandomText(draw, draw.Length(256));
  Count("ExecuteProcess odd path");
  Describe("ExecuteProcess \"" + Escaped(path) + "\"");
  const CallResult call =
      m_page->InvokeStrings("ExecuteProcess", {path, argument});
  Outcome o;
  o.succeeded = call.succeeded;
  o.type = call.type;
  o.text = call.text;
  o.exceptionSet = call.exceptionSet;
  o.exception = call.exception;
  const std::string fault = Judge("ExecuteProcess", true, true, o);
  if (!fault.empty())
    Fault(index, fault);
}

// The class slots called as a careless browser might: a null object, a null
// result, no argument array with a count, the other slots.
void Driver::ClassSlotCall(Draw &draw, uint64_t index) {
  NPClass *aClass = m_class;
  NPObject *object = m_page->ScriptableObject();
  const std::string bytes =
      draw.OneIn(2) ? kRealNames[draw.Below(2)] : VariantOfRealName(draw);
  const std::string name = AsIdentifierName(bytes);
  const NPIdentifier id = StringIdentifier(bytes);
  const uint32_t what = draw.Below(7);
  std::string fault;
  switch (what) {
  case 0: {
    Count("slot: invoke on a null object");
    Describe("invoke(null object, \"" + Escaped(bytes) + "\")");
    const Outcome o = InvokeDirect(nullptr, id, nullptr, 0, true);
    if (o.succeeded || o.exceptionSet)
      fault = "invoke on a null object did not fail quietly";
    break;
  }
  case 1: {
    Count("slot: invoke with a null result");
    Describe("invoke(\"" + Escaped(bytes) + "\", null result)");
    fault =
        Judge(name, true, false, InvokeDirect(object, id, nullptr, 0, false));
    break;
  }
  case 2: {
    // Only ExecuteProcess reads arguments; the cheap refusal is the point.
    const uint32_t count = 1 + draw.Below(8);
    Count("slot: no argument array with a count");
    Describe("invoke(ExecuteProcess, null args, count " +
             std::to_string(count) + ")");
    const NPIdentifier exec = StringIdentifier("ExecuteProcess");
    fault = Judge("ExecuteProcess", true, true,
                  InvokeDirect(object, exec, nullptr, count, true));
    break;
  }
  case 3: {
    Count("slot: hasMethod/hasProperty");
    Describe("hasMethod/hasProperty(\"" + Escaped(bytes) + "\")");
    if (!aClass->hasMethod(object, id) || !aClass->hasProperty(object, id) ||
        !aClass->hasMethod(nullptr, id))
      fault = "a name was not a method and a property";
    break;
  }
  case 4: {
    Count("slot: getProperty");
    Describe("getProperty(\"" + Escaped(bytes) + "\")");
    NPVariant result;
    result.type = NPVariantType_Void;
    result.value.objectValue = nullptr;
    if (!aClass->getProperty(object, id, &result) ||
        result.type != NPVariantType_Void)
      fault = "a property did not read as void";
    aClass->getProperty(object, id, nullptr);
    break;
  }
  case 5: {
    Count("slot: invokeDefault");
    NPObject *objects[2] = {object, m_own};
    Arguments args = RandomArguments(draw, 4096, objects, false);
    Describe("invokeDefault(" + args.description + ")");
    NPVariant result;
    result.type = NPVariantType_Void;
    result.value.objectValue = nullptr;
    if (!aClass->invokeDefault(object, args.variants.data(),
                               static_cast<uint32_t>(args.variants.size()),
                               &result) ||
        result.type != NPVariantType_Void)
      fault = "calling the object did not answer void";
    break;
  }
  default: {
    Count("slot: deallocate(null)");
    Describe("deallocate(null)");
    aClass->deallocate(nullptr);
    break;
  }
  }
  if (!fault.empty())
    Fault(index, fault);
}

// The plug-in's own entry points called as a buggy browser might.
void Driver::Misuse(Draw &draw, uint64_t index) {
  const NPPluginFuncs &f = m_library.Funcs();
  NPWindow window = {};
  int16_t event = 0;
  void *value = reinterpret_cast<void *>(0x1234);
  std::string fault;
  auto expect = [&fault](bool good, const char *what) {
    if (!good && fault.empty())
      fault = what;
  };
  const uint32_t what = draw.Below(8);
  switch (what) {
  case 0: {
    Count("misuse: null instance");
    Describe("every NPP_ entry point with a null instance");
    expect(f.newp(nullptr, nullptr, NP_EMBED, 0, nullptr, nullptr, nullptr) ==
               NPERR_INVALID_INSTANCE_ERROR,
           "NPP_New(null)");
    expect(f.destroy(nullptr, nullptr) == NPERR_INVALID_INSTANCE_ERROR,
           "NPP_Destroy(null)");
    expect(f.setwindow(nullptr, &window) == NPERR_INVALID_INSTANCE_ERROR,
           "NPP_SetWindow(null)");
    expect(f.getvalue(nullptr, NPPVpluginScriptableNPObject, &value) ==
               NPERR_INVALID_INSTANCE_ERROR,
           "NPP_GetValue(null)");
    expect(f.newstream(nullptr, nullptr, nullptr, 0, nullptr) ==
               NPERR_INVALID_INSTANCE_ERROR,
           "NPP_NewStream(null)");
    expect(f.destroystream(nullptr, nullptr, 0) == NPERR_INVALID_INSTANCE_ERROR,
           "NPP_DestroyStream(null)");
    expect(f.setvalue(nullptr, NPNVWindowNPObject, nullptr) ==
               NPERR_INVALID_INSTANCE_ERROR,
           "NPP_SetValue(null)");
    expect(f.writeready(nullptr, nullptr) == NPERR_INVALID_INSTANCE_ERROR,
           "NPP_WriteReady(null)");
    expect(f.write(nullptr, nullptr, 0, 1000, nullptr) ==
               NPERR_INVALID_INSTANCE_ERROR,
           "NPP_Write(null)");
    expect(f.event(nullptr, &event) == 0, "NPP_HandleEvent(null)");
    f.print(nullptr, nullptr);
    f.urlnotify(nullptr, nullptr, 0, nullptr);
    f.asfile(nullptr, nullptr, nullptr);
    break;
  }
  case 1: {
    Count("misuse: instance without a record");
    Describe("NPP_ entry points on an NPP the plug-in never saw");
    NPP_t stranger = {};
    expect(f.setwindow(&stranger, &window) == NPERR_GENERIC_ERROR,
           "NPP_SetWindow(no record)");
    expect(f.getvalue(&stranger, NPPVpluginScriptableNPObject, &value) ==
               NPERR_GENERIC_ERROR,
           "NPP_GetValue(no record)");
    expect(f.destroy(&stranger, nullptr) == NPERR_NO_ERROR,
           "NPP_Destroy(no record)");
    break;
  }
  case 2: {
    Count("misuse: null window");
    Describe("NPP_SetWindow(page, null)");
    expect(f.setwindow(m_page->Npp(), nullptr) == NPERR_GENERIC_ERROR,
           "NPP_SetWindow(null window)");
    window.window = reinterpret_cast<void *>(draw.Bits());
    expect(f.setwindow(m_page->Npp(), &window) == NPERR_NO_ERROR,
           "NPP_SetWindow(another handle)");
    break;
  }
  case 3: {
    // Any value the enumeration can hold, 0 to 4095.
    auto variable = static_cast<NPPVariable>(draw.Below(4096));
    if (variable == NPPVpluginNameString ||
        variable == NPPVpluginDescriptionString ||
        variable == NPPVpluginScriptableNPObject)
      variable = NPPVpluginNeedsXEmbed;
    Count("misuse: unknown variable");
    Describe("NPP_GetValue(page, " + std::to_string(variable) + ")");
    void *untouched = &window;
    expect(f.getvalue(m_page->Npp(), variable, &untouched) ==
                   NPERR_GENERIC_ERROR &&
               untouched == &window,
           "NPP_GetValue(unknown variable)");
    expect(f.getvalue(m_page->Npp(), variable, nullptr) == NPERR_GENERIC_ERROR,
           "NPP_GetValue(unknown variable, null)");
    break;
  }
  case 4: {
    Count("misuse: known variable, nowhere to write");
    Describe("NPP_GetValue(page, 1/2/15, null)");
    for (NPPVariable variable :
         {NPPVpluginNameString, NPPVpluginDescriptionString,
          NPPVpluginScriptableNPObject})
      expect(f.getvalue(m_page->Npp(), variable, nullptr) != NPERR_NO_ERROR,
             "NPP_GetValue(known variable, null) claimed success");
    break;
  }
  case 5: {
    NPPluginFuncs plugin = {};
    plugin.size = static_cast<uint16_t>(draw.Below(60));
    NPNetscapeFuncs browser = MakeBrowserFuncs(
        static_cast<uint16_t>(draw.Below(196)), NP_VERSION_MINOR);
    NPNetscapeFuncs newer =
        MakeBrowserFuncs(sizeof(NPNetscapeFuncs),
                         static_cast<uint16_t>((1 + draw.Below(255)) << 8));
    Count("misuse: short or null tables");
    Describe("NP_GetEntryPoints/NP_Initialize with size " +
             std::to_string(plugin.size) + "/" + std::to_string(browser.size));
    expect(m_library.GetEntryPoints(nullptr) == NPERR_INVALID_FUNCTABLE_ERROR,
           "NP_GetEntryPoints(null)");
    expect(m_library.GetEntryPoints(&plugin) == NPERR_INVALID_FUNCTABLE_ERROR &&
               plugin.newp == nullptr,
           "NP_GetEntryPoints(short table)");
    expect(m_library.Initialize(nullptr) == NPERR_INVALID_FUNCTABLE_ERROR,
           "NP_Initialize(null)");
    expect(m_library.Initialize(&browser) == NPERR_INVALID_FUNCTABLE_ERROR,
           "NP_Initialize(short table)");
    expect(m_library.Initialize(&newer) == NPERR_INCOMPATIBLE_VERSION_ERROR,
           "NP_Initialize(newer major version)");
    break;
  }
  case 6: {
    // The browser still holds the object when its instance goes.
    Count("misuse: object outliving its instance");
    Describe("calls on an object whose instance was destroyed");
    PluginInstance instance(m_library);
    expect(instance.New() == NPERR_NO_ERROR, "NPP_New");
    NPObject *object = instance.ScriptableObject();
    expect(object != nullptr, "no scriptable object");
    if (!object)
      break;
    state::RetainObject(object);
    instance.Destroy();
    expect(f.destroy(instance.Npp(), nullptr) == NPERR_NO_ERROR,
           "NPP_Destroy twice");
    expect(f.setwindow(instance.Npp(), &window) == NPERR_GENERIC_ERROR,
           "NPP_SetWindow after NPP_Destroy");
    const std::string path = RandomText(draw, draw.Length(64));
    const NPVariant args[2] = {StringVariant(path), StringVariant("x")};
    const Outcome refused =
        InvokeDirect(object, StringIdentifier("ExecuteProcess"), args, 2, true);
    const std::string judged = Judge("ExecuteProcess", true, true, refused);
    expect(judged.empty(), "ExecuteProcess on an orphaned object");
    const Outcome other =
        InvokeDirect(object, StringIdentifier("valueOf"), nullptr, 0, true);
    expect(other.succeeded && other.type == NPVariantType_Void,
           "valueOf on an orphaned object");
    state::ReleaseObject(object);
    break;
  }
  default: {
    Count("misuse: second NPP_GetValue for the object");
    Describe("NPP_GetValue(page, scriptable object) and release");
    NPObject *object = nullptr;
    expect(f.getvalue(m_page->Npp(), NPPVpluginScriptableNPObject, &object) ==
                   NPERR_NO_ERROR &&
               object == m_page->ScriptableObject(),
           "the object was not the same");
    state::ReleaseObject(object);
    break;
  }
  }
  if (!fault.empty())
    Fault(index, fault);
}

void Driver::Call(uint64_t index) {
  Draw draw(m_seed, index);
  m_callStart = Now();
  const uint32_t kind = draw.Below(100);
  if (kind < 80)
    ScriptCall(draw, index);
  else if (kind < 84)
    HostilePathCall(draw, index);
  else if (kind < 94)
    ClassSlotCall(draw, index);
  else
    Misuse(draw, index);
  Tally &tally = m_kinds[m_kind];
  ++tally.calls;
  tally.seconds += Now() - m_callStart;
  m_callStart = 0;
  ++m_calls;
  CheckLedger(index);
}

struct Options {
  uint64_t seed = 0;
  bool seedGiven = false;
  uint64_t calls = 100000;
  uint64_t first = 0;
  std::size_t maxString = 1024 * 1024;
  uint64_t replay = 20000;
  double hang = 120;
  bool verbose = false;
};

bool ParseOptions(const std::vector<std::string> &args, Options &options,
                  std::string &error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string &arg = args[i];
    if (arg == "--verbose") {
      options.verbose = true;
      continue;
    }
    if (i + 1 >= args.size()) {
      error = "option " + arg + " needs a value";
      return false;
    }
    char *end = nullptr;
    const std::string &text = args[++i];
    const unsigned long long number = std::strtoull(text.c_str(), &end, 10);
    if (!end || *end || text.empty()) {
      error = "option " + arg + " takes a number";
      return false;
    }
    if (arg == "--seed") {
      options.seed = number;
      options.seedGiven = true;
    } else if (arg == "--calls") {
      options.calls = number;
    } else if (arg == "--first") {
      options.first = number;
    } else if (arg == "--max-string") {
      options.maxString = static_cast<std::size_t>(number);
    } else if (arg == "--replay") {
      options.replay = number;
    } else if (arg == "--hang") {
      options.hang = static_cast<double>(number);
    } else {
      error = "unknown option " + arg;
      return false;
    }
  }
  if (!options.seedGiven)
    options.seed = static_cast<uint64_t>(
        std::chrono::system_clock::now().time_since_epoch().count());
  return true;
}

} // namespace

int RunHostileInput(const std::wstring &pluginPath,
                    const std::vector<std::string> &args) {
  Options options;
  std::string error;
  if (!ParseOptions(args, options, error)) {
    Print("nphost --hostile: " + error);
    return 3;
  }
  Print("hostile input: seed " + std::to_string(options.seed) + ", calls " +
        std::to_string(options.first) + " to " +
        std::to_string(options.first + options.calls - 1));
  std::unique_ptr<PluginLibrary> library =
      PluginLibrary::LoadStarted(pluginPath, kPalomirMimeType, error);
  if (!library) {
    Print("nphost --hostile: the plug-in did not load: " + error);
    return 4;
  }
  Driver driver(*library, options.seed, options.maxString, options.verbose);
  if (!driver.Begin()) {
    Print("nphost --hostile: the page instance could not be made");
    return 4;
  }

  // The watchdog: a call that takes longer than the bound ends the run, with
  // the call named, since the page's thread would be frozen as long.
  std::mutex lock;
  std::condition_variable stop;
  bool done = false;
  std::thread watchdog([&] {
    std::unique_lock<std::mutex> guard(lock);
    while (
        !stop.wait_for(guard, std::chrono::seconds(1), [&] { return done; })) {
      const double started = driver.m_callStart;
      if (started != 0 && Now() - started > options.hang) {
        std::lock_guard<std::mutex> describe(driver.m_describeLock);
        Print("HANG: a call has not returned after " +
              std::to_string(static_cast<int>(options.hang)) +
              " s: " + driver.m_current + " (seed " +
              std::to_string(options.seed) + ")");
        std::fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 5);
      }
    }
  });

  const double start = Now();
  double lastReport = start;
  for (uint64_t i = 0; i < options.calls; ++i) {
    driver.Call(options.first + i);
    if (Now() - lastReport > 30) {
      lastReport = Now();
      Print("  " + std::to_string(i + 1) + " calls, " +
            std::to_string(static_cast<int>(lastReport - start)) + " s");
    }
  }
  const double took = Now() - start;
  char line[160];
  std::snprintf(line, sizeof line, "%zu calls in %.1f s (%.3f ms a call)",
                driver.Calls(), took,
                driver.Calls() ? took * 1000 / driver.Calls() : 0.0);
  Print(line);
  for (const auto &kind : driver.Kinds()) {
    std::snprintf(line, sizeof line, "  %-45s %7zu calls, %8.3f ms a call",
                  kind.first.c_str(), kind.second.calls,
                  kind.second.seconds * 1000 / kind.second.calls);
    Print(line);
  }

  // A leak inside the plug-in's own heap shows nowhere in the ledger: the
  // same calls again, whose names the browser has interned already, must not
  // grow the process's committed memory. They run twice, and only the second
  // time counts: the first lets the heap settle into the run's pattern.
  const uint64_t replay = std::min(options.calls, options.replay);
  bool grew = false;
  if (replay) {
    for (uint64_t i = 0; i < replay; ++i)
      driver.Call(options.first + i);
    const std::size_t before = CommittedBytes();
    for (uint64_t i = 0; i < replay; ++i)
      driver.Call(options.first + i);
    const std::size_t after = CommittedBytes();
    const double growth = (static_cast<double>(after) - before) / 1024;
    char text[160];
    std::snprintf(
        text, sizeof text,
        "the first %llu calls twice more: committed memory %.0f KiB "
        "before the second time, grown by %.0f KiB over it (bound 1024 KiB)",
        static_cast<unsigned long long>(replay), before / 1024.0, growth);
    Print(text);
    grew = after > before + 1024 * 1024;
  }
  driver.End();
  {
    std::lock_guard<std::mutex> guard(lock);
    done = true;
  }
  stop.notify_all();
  watchdog.join();

  if (!LedgerClean()) {
    Print("hostile input FAILED: after teardown " +
          DescribeLedger(CurrentLedger()));
    return 2;
  }
  if (grew) {
    Print("hostile input FAILED: memory grew over the repeated calls");
    return 2;
  }
  if (driver.Faults()) {
    Print("hostile input FAILED: " + std::to_string(driver.Faults()) +
          " faults (seed " + std::to_string(options.seed) + ")");
    return 1;
  }
  Print("hostile input passed (seed " + std::to_string(options.seed) + ")");
  return 0;
}

} // namespace nphost
