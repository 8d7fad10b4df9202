// The soak: one library, one long-lived page instance for the script calls,
// and short-lived instances in between. Every answer is parsed and every
// resource the plug-in could keep is looked for right after the answer.
#include "host/Soak.h"

#include "common/WinHandles.h"
#include "host/BrowserHost.h"
#include "host/EnvelopeCheck.h"
#include "host/HostText.h"
#include "host/Measure.h"

#include <windows.h>

#include <objbase.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

namespace nphost {
namespace {

constexpr std::size_t kAllowedGrowth = 1024 * 1024;
constexpr std::size_t kTimingWindow = 1000;

void Print(const std::string &line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

std::string Format(const char *format, double a, double b = 0, double c = 0) {
  char text[160];
  std::snprintf(text, sizeof text, format, a, b, c);
  return text;
}

// How many calls of each kind, full size.
struct Counts {
  std::size_t machineId = 10000;
  std::size_t refused = 10000;
  std::size_t started = 200;
  std::size_t instances = 1000;
};

Counts Scaled(double scale) {
  const Counts full;
  auto scaled = [scale](std::size_t count, std::size_t floor) {
    const auto n = static_cast<std::size_t>(std::llround(count * scale));
    return std::min(count, std::max(n, floor));
  };
  Counts counts;
  counts.machineId = scaled(full.machineId, 20);
  counts.refused = scaled(full.refused, 40);
  counts.started = scaled(full.started, 3);
  counts.instances = scaled(full.instances, 20);
  return counts;
}

struct Options {
  std::wstring fixtures;
  double scale = 1;
  bool timingBound = false;
};

std::wstring Widen(const std::string &utf8) {
  if (utf8.empty())
    return std::wstring();
  const int length = MultiByteToWideChar(
      CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                      &wide[0], length);
  return wide;
}

bool ParseOptions(const std::vector<std::string> &args, Options &options,
                  std::string &error) {
  bool timingGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string &arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--fixtures" && hasValue) {
      options.fixtures = Widen(args[++i]);
    } else if (arg == "--scale" && hasValue) {
      char *end = nullptr;
      options.scale = std::strtod(args[++i].c_str(), &end);
      if (!end || *end || !(options.scale > 0) || options.scale > 1) {
        error = "--scale takes a number in (0, 1]";
        return false;
      }
    } else if (arg == "--timing-bound") {
      options.timingBound = timingGiven = true;
    } else {
      error = "unknown soak option " + arg;
      return false;
    }
  }
  if (options.fixtures.empty()) {
    error = "--fixtures DIR is required (the folder of the test programs)";
    return false;
  }
  if (!timingGiven)
    options.timingBound = options.scale == 1;
  return true;
}

// Counts what went wrong; prints the first few of each kind in full.
class Faults {
public:
  void Add(const std::string &kind, const std::string &detail) {
    ++m_total;
    std::size_t &seen = m_byKind[kind];
    if (++seen <= 5)
      Print("FAULT " + kind + ": " + detail);
  }
  std::size_t Total() const { return m_total; }
  void Summary() const {
    for (const auto &entry : m_byKind)
      Print("  " + entry.first + ": " + std::to_string(entry.second));
  }

private:
  std::size_t m_total = 0;
  std::map<std::string, std::size_t> m_byKind;
};

// The program files of the refused and started calls: copies of the fixtures
// in a folder of this run's own, so that the exclusive opens below meet no
// other test's handle and no other test meets ours.
struct Scratch {
  std::wstring dir;
  std::wstring good, unsigned_, otherSigner, forged, missing, record;
  std::vector<std::wstring> copies;

  bool Make(const std::wstring &fixtures, std::string &error) {
    wchar_t temp[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH) {
      error = "no temporary folder";
      return false;
    }
    dir = std::wstring(temp, length) + L"nphost-soak-" +
          std::to_wstring(GetCurrentProcessId());
    if (!CreateDirectoryW(dir.c_str(), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS) {
      error = "cannot create " + Utf8ForMessage(dir);
      return false;
    }
    struct Copy {
      const wchar_t *from;
      const wchar_t *to;
      std::wstring *path;
    };
    const Copy plan[] = {
        {L"\\signed\\good.exe", L"\\soak-good.exe", &good},
        {L"\\unsigned.exe", L"\\soak-unsigned.exe", &unsigned_},
        {L"\\signed\\other.exe", L"\\soak-other.exe", &otherSigner},
        {L"\\signed\\changed-after-signing.exe", L"\\soak-forged.exe", &forged},
    };
    for (const Copy &copy : plan) {
      *copy.path = dir + copy.to;
      const std::wstring from = fixtures + copy.from;
      if (!CopyFileW(from.c_str(), copy.path->c_str(), FALSE)) {
        error = "cannot copy " + Utf8ForMessage(from);
        return false;
      }
      copies.push_back(*copy.path);
    }
    missing = dir + L"\\absent.exe";
    record = dir + L"\\record.txt";
    return true;
  }

  // Deleting every copy is itself the last check that nothing holds them.
  bool Remove() {
    bool removed = true;
    for (const std::wstring &path : copies)
      removed = DeleteFileW(path.c_str()) && removed;
    DeleteFileW(record.c_str());
    return RemoveDirectoryW(dir.c_str()) && removed;
  }
};

// True when no handle to the file is open anywhere: an open that shares
// nothing and asks for deletion fails on any other open handle.
bool NoHandleHeld(const std::wstring &path) {
  UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ | DELETE, 0,
                                    nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(file);
}

bool WaitFor(bool (*ready)(const std::wstring &), const std::wstring &path,
             double seconds) {
  const double deadline = Now() + seconds;
  for (;;) {
    if (ready(path))
      return true;
    if (Now() > deadline)
      return false;
    Sleep(5);
  }
}

bool Exists(const std::wstring &path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadWholeFile(const std::wstring &path) {
  UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    return std::string();
  std::string text(65536, '\0');
  DWORD read = 0;
  if (!ReadFile(file.get(), &text[0], static_cast<DWORD>(text.size()), &read,
                nullptr))
    read = 0;
  text.resize(read);
  return text;
}

// Processes alive now whose program file is named `exeName`.
std::size_t RunningCopies(const wchar_t *exeName) {
  UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot)
    return 0;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  std::size_t count = 0;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry))
    if (lstrcmpiW(entry.szExeFile, exeName) == 0)
      ++count;
  return count;
}

// The thread's COM state is what it was before the run (not initialised) when
// an apartment can be entered afresh.
HRESULT ComProbe() {
  const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (SUCCEEDED(hr))
    CoUninitialize();
  return hr;
}

bool IsMachineIdText(const std::string &text) {
  if (text.size() != 86 && text.size() != 27)
    return false;
  for (const char c : text)
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' ||
          c == '/'))
      return false;
  return true;
}

class Soak {
public:
  Soak(PluginLibrary &library, const Options &options, const Scratch &scratch)
      : m_library(library), m_options(options), m_scratch(scratch),
        m_counts(Scaled(options.scale)) {}

  int Run();

private:
  // The ledger while the page instance is alive: its object and nothing else.
  bool LedgerHoldsOnlyPage(const char *after) {
    Ledger expected;
    expected.liveObjects = m_page ? 1 : 0;
    const Ledger now = CurrentLedger();
    if (now == expected)
      return true;
    m_faults.Add("ledger",
                 std::string("after ") + after + ": " + DescribeLedger(now));
    return false;
  }

  void CallMachineId(bool timed);
  void CallRefused(std::size_t index, bool timed);
  void CallStarted(std::size_t index, bool timed);
  void CycleInstance(bool timed);
  bool CheckEnvelope(const CallResult &call, const std::string &what,
                     Envelope &envelope);
  void ReportTimes(const char *what, const std::vector<double> &times);

  PluginLibrary &m_library;
  const Options &m_options;
  const Scratch &m_scratch;
  const Counts m_counts;
  std::unique_ptr<PluginInstance> m_page;
  Faults m_faults;
  std::string m_firstMachineId;
  std::vector<double> m_machineIdTimes, m_startedTimes, m_instanceTimes;
  // One series per kind of refusal: their costs differ by ten times, so a
  // median over the mix would say nothing.
  std::vector<double> m_refusedTimes[4];
};

bool Soak::CheckEnvelope(const CallResult &call, const std::string &what,
                         Envelope &envelope) {
  if (!call.succeeded) {
    m_faults.Add("call failed",
                 what + ": exception \"" + call.exception + "\"");
    return false;
  }
  if (call.type != NPVariantType_String) {
    m_faults.Add("not a string", what);
    return false;
  }
  std::string why;
  if (!ParseEnvelope(call.text, envelope, why)) {
    m_faults.Add("bad envelope", what + ": " + why + ": " + call.text);
    return false;
  }
  return true;
}

void Soak::CallMachineId(bool timed) {
  const double start = Now();
  const CallResult call = m_page->Invoke("GetMachineID");
  const double took = Now() - start;
  if (timed)
    m_machineIdTimes.push_back(took);
  Envelope envelope;
  if (CheckEnvelope(call, "GetMachineID", envelope)) {
    if (envelope.status != 0 || !IsMachineIdText(envelope.result))
      m_faults.Add("GetMachineID answer", call.text);
    else if (m_firstMachineId.empty())
      m_firstMachineId = envelope.result;
    else if (envelope.result != m_firstMachineId)
      m_faults.Add("GetMachineID changed", envelope.result);
  }
  LedgerHoldsOnlyPage("GetMachineID");
  if (const HRESULT hr = ComProbe()) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lx", static_cast<unsigned long>(hr));
    m_faults.Add("COM", std::string("the thread's COM initialisation changed: "
                                    "CoInitializeEx answered ") +
                            code);
  }
}

void Soak::CallRefused(std::size_t index, bool timed) {
  const std::wstring *paths[] = {&m_scratch.missing, &m_scratch.unsigned_,
                                 &m_scratch.otherSigner, &m_scratch.forged};
  const std::wstring &path = *paths[index % 4];
  std::string program;
  WideToUtf8Strict(path, program);
  const double start = Now();
  const CallResult call =
      m_page->InvokeStrings("ExecuteProcess", {program, "soak"});
  const double took = Now() - start;
  if (timed)
    m_refusedTimes[index % 4].push_back(took);
  Envelope envelope;
  if (CheckEnvelope(call, "ExecuteProcess " + program, envelope) &&
      (envelope.status != 9999 || envelope.result != "FALSE"))
    m_faults.Add("refusal", program + " answered " + call.text);
  LedgerHoldsOnlyPage("a refused ExecuteProcess");
  if (&path != &m_scratch.missing && !NoHandleHeld(path))
    m_faults.Add("handle held", program);
}

void Soak::CallStarted(std::size_t index, bool timed) {
  const std::wstring &path = m_scratch.good;
  std::string program;
  WideToUtf8Strict(path, program);
  const std::string marker = "soak-start-" + std::to_string(index);
  const double start = Now();
  const CallResult call =
      m_page->InvokeStrings("ExecuteProcess", {program, marker});
  const double took = Now() - start;
  if (timed)
    m_startedTimes.push_back(took);
  Envelope envelope;
  if (CheckEnvelope(call, "ExecuteProcess " + program, envelope) &&
      (envelope.status != 0 || envelope.result != "TRUE"))
    m_faults.Add("start", program + " answered " + call.text);
  LedgerHoldsOnlyPage("a started ExecuteProcess");
  if (envelope.status != 0)
    return;
  // The program records its command line and exits by itself; waiting for it
  // here keeps started programs from piling up.
  if (!WaitFor(Exists, m_scratch.record, 120)) {
    m_faults.Add("start", "the started program wrote no record");
    return;
  }
  // The record appears by a rename, but may still be open to its writer for
  // a moment under Wine: read until both lines are there.
  std::string record;
  const double deadline = Now() + 30;
  while ((record = ReadWholeFile(m_scratch.record)).find(" " + marker + "\n") ==
             std::string::npos &&
         Now() < deadline)
    Sleep(5);
  if (record.find(" " + marker + "\n") == std::string::npos)
    m_faults.Add("start", "record without " + marker + ": " + record);
  DeleteFileW(m_scratch.record.c_str());
  if (!WaitFor(NoHandleHeld, path, 120))
    m_faults.Add("handle held", program + " after its program ended");
}

void Soak::CycleInstance(bool timed) {
  const Ledger before = CurrentLedger();
  const double start = Now();
  {
    PluginInstance instance(m_library);
    if (instance.New() != NPERR_NO_ERROR ||
        instance.SetWindow() != NPERR_NO_ERROR || !instance.ScriptableObject())
      m_faults.Add("instance", "NPP_New, NPP_SetWindow or the object failed");
    const CallResult call = instance.Invoke("valueOf");
    if (!call.succeeded || call.type != NPVariantType_Void)
      m_faults.Add("instance", "valueOf did not answer void");
    if (instance.Destroy() != NPERR_NO_ERROR)
      m_faults.Add("instance", "NPP_Destroy failed");
  }
  if (timed)
    m_instanceTimes.push_back(Now() - start);
  if (CurrentLedger() != before)
    m_faults.Add("ledger", "after an instance was destroyed: " +
                               DescribeLedger(CurrentLedger()));
}

void Soak::ReportTimes(const char *what, const std::vector<double> &times) {
  const std::size_t window = std::min(kTimingWindow, times.size() / 2);
  if (window == 0)
    return;
  const double first = Median(times, 0, window) * 1000;
  const double last = Median(times, times.size() - window, times.size()) * 1000;
  Print(std::string(what) +
        Format(": median of the first %.0f calls %.3f ms", window, first) +
        Format(", of the last %.0f %.3f ms", window, last) +
        Format(" (ratio %.2f)", first > 0 ? last / first : 0));
  if (m_options.timingBound && last > 2 * first + 2)
    m_faults.Add("slower", std::string(what) + " got slower over the run");
}

int Soak::Run() {
  Print("soak: " + std::to_string(m_counts.machineId) + " GetMachineID, " +
        std::to_string(m_counts.refused) + " refused ExecuteProcess, " +
        std::to_string(m_counts.started) + " started, " +
        std::to_string(m_counts.instances) + " instances");
  if (ComProbe() != S_OK) {
    Print("soak: this thread has COM initialised already");
    return 4;
  }
  m_page.reset(new PluginInstance(m_library));
  if (m_page->New() != NPERR_NO_ERROR ||
      m_page->SetWindow() != NPERR_NO_ERROR || !m_page->ScriptableObject()) {
    Print("soak: the page instance could not be made");
    return 4;
  }
  m_machineIdTimes.reserve(m_counts.machineId);
  for (std::vector<double> &times : m_refusedTimes)
    times.reserve(m_counts.refused / 4 + 1);
  m_startedTimes.reserve(m_counts.started);
  m_instanceTimes.reserve(m_counts.instances);

  // Warm-up: every road once or a few times, so that what the platform
  // allocates once (COM, WMI, CryptoAPI, the loader) is in place before the
  // memory is measured.
  const double warmStart = Now();
  for (int i = 0; i < 3; ++i)
    CallMachineId(false);
  for (std::size_t i = 0; i < 8; ++i)
    CallRefused(i, false);
  CallStarted(0, false);
  for (int i = 0; i < 3; ++i)
    CycleInstance(false);
  Print(Format("warm-up %.1f s; committed memory %.0f KiB", Now() - warmStart,
               CommittedBytes() / 1024.0));

  // The kinds interleaved evenly over the run, so a leak or a slowdown in any
  // of them shows wherever it starts.
  const std::size_t steps = std::max({m_counts.machineId, m_counts.refused,
                                      m_counts.started, m_counts.instances});
  auto due = [steps](std::size_t step, std::size_t count) {
    return (step + 1) * count / steps > step * count / steps;
  };
  std::size_t refused = 0, started = 0;
  // The heap of a fresh process still grows in steps of a megabyte or two
  // during the first hundreds of calls, at no fixed point: the memory is
  // measured from a tenth into the run, once it has settled.
  const std::size_t settled = steps / 10;
  std::size_t baseline = CommittedBytes();
  std::size_t peak = baseline;
  const double runStart = Now();
  for (std::size_t step = 0; step < steps; ++step) {
    if (step == settled) {
      baseline = CommittedBytes();
      Print(Format("  memory measured from here, %.0f%% into the run: "
                   "committed %.0f KiB",
                   100.0 * step / steps, baseline / 1024.0));
    }
    if (due(step, m_counts.machineId))
      CallMachineId(true);
    if (due(step, m_counts.refused))
      CallRefused(refused++, true);
    if (due(step, m_counts.started))
      CallStarted(++started, true);
    if (due(step, m_counts.instances))
      CycleInstance(true);
    if (step % 500 == 499) {
      peak = std::max(peak, CommittedBytes());
      Print(Format("  %.0f%% after %.0f s, committed %.0f KiB",
                   100.0 * (step + 1) / steps, Now() - runStart,
                   CommittedBytes() / 1024.0));
    }
  }
  const std::size_t end = CommittedBytes();
  peak = std::max(peak, end);
  const double growth = (static_cast<double>(end) - baseline) / 1024;
  Print(Format("run %.1f s; committed memory %.0f KiB at the end, grown by "
               "%.0f KiB since",
               Now() - runStart, end / 1024.0, growth) +
        Format(" (peak %.0f KiB; bound 1024 KiB)", peak / 1024.0));
  if (end > baseline + kAllowedGrowth)
    m_faults.Add("memory", Format("committed memory grew by %.0f KiB", growth));

  ReportTimes("GetMachineID", m_machineIdTimes);
  ReportTimes("ExecuteProcess refused, missing file", m_refusedTimes[0]);
  ReportTimes("ExecuteProcess refused, unsigned", m_refusedTimes[1]);
  ReportTimes("ExecuteProcess refused, wrong signer", m_refusedTimes[2]);
  ReportTimes("ExecuteProcess refused, forged", m_refusedTimes[3]);
  ReportTimes("instance created and destroyed", m_instanceTimes);
  if (!m_startedTimes.empty())
    Print(Format("started ExecuteProcess: median %.3f ms over %.0f calls",
                 Median(m_startedTimes, 0, m_startedTimes.size()) * 1000,
                 static_cast<double>(m_startedTimes.size())));
  if (!WaitFor(
          [](const std::wstring &) {
            return RunningCopies(L"soak-good.exe") == 0;
          },
          std::wstring(), 60))
    m_faults.Add("start", "started programs are still running");

  m_page->Destroy();
  m_page.reset();
  LedgerHoldsOnlyPage("the page instance was destroyed");
  if (m_faults.Total() == 0) {
    Print("soak passed");
    return 0;
  }
  Print("soak FAILED: " + std::to_string(m_faults.Total()) + " faults");
  m_faults.Summary();
  return 2;
}

} // namespace

int RunSoak(const std::wstring &pluginPath,
            const std::vector<std::string> &args) {
  Options options;
  std::string error;
  if (!ParseOptions(args, options, error)) {
    Print("nphost --soak: " + error);
    return 3;
  }
  Scratch scratch;
  if (!scratch.Make(options.fixtures, error)) {
    Print("nphost --soak: " + error);
    return 4;
  }
  int code = 0;
  {
    std::unique_ptr<PluginLibrary> library =
        PluginLibrary::LoadStarted(pluginPath, kPalomirMimeType, error);
    if (!library) {
      Print("nphost --soak: the plug-in did not load: " + error);
      scratch.Remove();
      return 4;
    }
    // Inherited by the started test program, which records itself there.
    SetEnvironmentVariableW(L"PALOMIR_RECORD_FILE", scratch.record.c_str());
    Soak soak(*library, options, scratch);
    code = soak.Run();
  }
  if (!scratch.Remove()) {
    Print("soak FAILED: the program copies could not be deleted at the end");
    code = 2;
  }
  return code;
}

} // namespace nphost
