// nphost.exe as a user runs it: the exact bytes on stdout, the messages on
// stderr and the exit code, for good calls, failed calls, faulty plug-ins and
// wrong command lines.
#include "common/WinHandles.h"
#include "tests/host/TestPaths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Outcome {
  DWORD exitCode = 0;
  std::string out;
  std::string err;
};

// Moves what the pipe holds now into `bytes`, without blocking.
void Drain(HANDLE pipe, std::string &bytes) {
  DWORD available = 0;
  while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) &&
         available > 0) {
    char buffer[4096];
    DWORD read = 0;
    if (!ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) || read == 0)
      return;
    bytes.append(buffer, read);
  }
}

std::wstring Quoted(const std::wstring &arg) { return L"\"" + arg + L"\""; }

// Runs nphost.exe with the arguments, each quoted, and collects its output.
Outcome RunHost(const std::vector<std::wstring> &args) {
  std::wstring commandLine = Quoted(BinaryPath(L"nphost.exe"));
  for (const std::wstring &arg : args)
    commandLine += L" " + Quoted(arg);

  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  UniqueHandle outRead, outWrite, errRead, errWrite;
  EXPECT_TRUE(CreatePipe(outRead.put(), outWrite.put(), &inherit, 0));
  EXPECT_TRUE(CreatePipe(errRead.put(), errWrite.put(), &inherit, 0));
  SetHandleInformation(outRead.get(), HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(errRead.get(), HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = outWrite.get();
  startup.hStdError = errWrite.get();
  PROCESS_INFORMATION process = {};
  Outcome outcome;
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0,
                      nullptr, nullptr, &startup, &process)) {
    ADD_FAILURE() << "CreateProcessW failed: " << GetLastError();
    return outcome;
  }
  UniqueHandle processHandle(process.hProcess), thread(process.hThread);
  outWrite.reset();
  errWrite.reset();
  // Both pipes are drained while the child runs, so neither can fill up and
  // stall it; the end is the child's exit, not the pipes' end, since a Wine
  // service started on the way may hold their write ends open.
  while (WaitForSingleObject(processHandle.get(), 20) == WAIT_TIMEOUT) {
    Drain(outRead.get(), outcome.out);
    Drain(errRead.get(), outcome.err);
  }
  Drain(outRead.get(), outcome.out);
  Drain(errRead.get(), outcome.err);
  GetExitCodeProcess(processHandle.get(), &outcome.exitCode);
  return outcome;
}

struct Case {
  const char *name;
  std::vector<std::wstring> args; // after the plug-in's path
  DWORD exitCode;
  std::string out;
  const char *errHas; // a part of stderr, or null for an empty stderr
};

void PrintTo(const Case &c, std::ostream *os) { *os << c.name; }

class CommandLine : public ::testing::TestWithParam<Case> {};

TEST_P(CommandLine, PrintsExactlyAndExitsWithTheDocumentedCode) {
  const Case &c = GetParam();
  std::vector<std::wstring> args{TestPluginPath()};
  args.insert(args.end(), c.args.begin(), c.args.end());
  const Outcome outcome = RunHost(args);
  EXPECT_EQ(outcome.exitCode, c.exitCode) << outcome.err;
  EXPECT_EQ(outcome.out, c.out);
  if (c.errHas)
    EXPECT_NE(outcome.err.find(c.errHas), std::string::npos) << outcome.err;
  else
    EXPECT_EQ(outcome.err, "");
}

const Case kCases[] = {
    // Wide arguments reach the plug-in as UTF-8; the answer's bytes come back
    // untranslated, with a bare "\n" after them.
    {"EchoUnicode",
     {L"Echo", L"h\u00E9llo ", L"\u20AC\U0001F600"},
     0,
     "h\xC3\xA9llo \xE2\x82\xAC\xF0\x9F\x98\x80\n",
     nullptr},
    {"EchoKeepsLineBreaks", {L"Echo", L"a\r\nb"}, 0, "a\r\nb\n", nullptr},
    {"EchoEmpty", {L"Echo", L""}, 0, "\n", nullptr},
    {"Void", {L"Void"}, 0, "(void)\n", nullptr},
    {"Int", {L"Int"}, 0, "42\n", nullptr},
    {"Property", {L"--get", L"answer"}, 0, "42\n", nullptr},
    {"Info",
     {L"--info"},
     0,
     "MIME type: application/x-nphost-test|"
     "application/palomir-firefox-plugin_10_16_0_0\n"
     "Name: nphost test plug-in\nDescription: Misbehaves on request\n",
     nullptr},
    {"FailedCallPrintsItsException", {L"Fail"}, 1, "", "failure \xC3\xA9\n"},
    {"FailedCallWithoutException", {L"FailQuietly"}, 1, "", "without"},
    {"LeakedBlock", {L"LeakBlock"}, 2, "(void)\n", "liveBlocks=1"},
    {"LeakedResultOfFailedCall", {L"FailLeavingResult"}, 2, "", "liveBlocks=1"},
    {"FreedTwice", {L"FreeTwice"}, 2, "(void)\n", "badFrees=1"},
    {"OverReleased", {L"OverRelease"}, 2, "(void)\n", "badReleases=1"},
    {"UnknownMode", {L"--bogus"}, 3, "", "usage:"},
    {"NoMethod", {}, 3, "", "usage:"},
    {"InfoTakesNoArgument", {L"--info", L"x"}, 3, "", "usage:"},
    {"LoneSurrogate",
     {L"Echo", std::wstring(1, wchar_t(0xD800))},
     3,
     "",
     "not valid Unicode"},
};

INSTANTIATE_TEST_SUITE_P(Cases, CommandLine, ::testing::ValuesIn(kCases),
                         [](const auto &info) { return info.param.name; });

TEST(CommandLineLoading, RefusesAMissingOrForeignPlugin) {
  struct LoadCase {
    std::wstring plugin;
    const char *errHas;
  } cases[] = {
      {BinaryPath(L"no-such-plugin.dll"), "no such file"},
      {L"C:\\windows\\system32\\kernel32.dll", "declares no MIME type"},
  };
  for (const LoadCase &c : cases) {
    const Outcome outcome = RunHost({c.plugin, L"Echo"});
    EXPECT_EQ(outcome.exitCode, 4u);
    EXPECT_EQ(outcome.out, "");
    EXPECT_NE(outcome.err.find(c.errHas), std::string::npos) << outcome.err;
  }
}

TEST(CommandLineLoading, HelpGoesToStdout) {
  const Outcome outcome = RunHost({L"--help"});
  EXPECT_EQ(outcome.exitCode, 0u);
  EXPECT_EQ(outcome.out.rfind("usage: nphost PLUGIN METHOD", 0), 0u);
}

} // namespace
