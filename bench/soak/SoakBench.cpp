// Per-call cost of the plug-in against what the platform alone costs, all in
// one run and interleaved round by round, so drift weighs on both sides alike:
// the script bridge against a browser object that does nothing, ExecuteProcess
// refused by the signer check against the bare calls of that check, and
// GetMachineID against the bare calls of one identifier.
// Usage: soak_bench [rounds] [plug-in DLL]
#include "bench/machineid/MachineIdBaseline.h"
#include "host/BrowserHost.h"
#include "host/BrowserState.h"
#include "host/BuiltPluginPath.h"
#include "host/Measure.h"

#include <FixturePaths.h>

#include <windows.h>

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

// What the signer check of a refused ExecuteProcess asks of the platform, in
// its order, with nothing around it: open and type of the held file, the
// signature and digest, the embedded message, its signer, the chain and its
// policy, the subject name; then every release.
bool SignerCheckBaseline(const wchar_t *path) {
  HANDLE held = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE)
    return false;
  bool ok = GetFileType(held) == FILE_TYPE_DISK;

  WINTRUST_FILE_INFO file = {};
  file.cbStruct = sizeof file;
  file.pcwszFilePath = path;
  WINTRUST_DATA trust = {};
  trust.cbStruct = sizeof trust;
  trust.dwUIChoice = WTD_UI_NONE;
  trust.fdwRevocationChecks = WTD_REVOKE_NONE;
  trust.dwUnionChoice = WTD_CHOICE_FILE;
  trust.pFile = &file;
  trust.dwStateAction = WTD_STATEACTION_IGNORE;
  trust.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  ok = ok && WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action,
                            &trust) == ERROR_SUCCESS;

  HCERTSTORE store = nullptr;
  HCRYPTMSG message = nullptr;
  DWORD encoding = 0, content = 0, format = 0, size = 0;
  ok = ok &&
       CryptQueryObject(CERT_QUERY_OBJECT_FILE, path,
                        CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED,
                        CERT_QUERY_FORMAT_FLAG_BINARY, 0, &encoding, &content,
                        &format, &store, &message, nullptr) &&
       CryptMsgGetParam(message, CMSG_SIGNER_INFO_PARAM, 0, nullptr, &size);
  HLOCAL info = ok ? LocalAlloc(LPTR, size) : nullptr;
  ok = ok && info &&
       CryptMsgGetParam(message, CMSG_SIGNER_INFO_PARAM, 0, info, &size);
  PCCERT_CONTEXT signer = nullptr;
  if (ok) {
    const auto *signerInfo = static_cast<const CMSG_SIGNER_INFO *>(info);
    CERT_INFO key = {};
    key.Issuer = signerInfo->Issuer;
    key.SerialNumber = signerInfo->SerialNumber;
    signer = CertFindCertificateInStore(store, X509_ASN_ENCODING, 0,
                                        CERT_FIND_SUBJECT_CERT, &key, nullptr);
  }
  PCCERT_CHAIN_CONTEXT chain = nullptr;
  if (signer) {
    char codeSigning[] = szOID_PKIX_KP_CODE_SIGNING;
    LPSTR usages[] = {codeSigning};
    CERT_CHAIN_PARA para = {};
    para.cbSize = sizeof para;
    para.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    para.RequestedUsage.Usage.cUsageIdentifier = 1;
    para.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
    CertGetCertificateChain(nullptr, signer, nullptr, store, &para, 0, nullptr,
                            &chain);
  }
  if (chain) {
    CERT_CHAIN_POLICY_PARA policy = {};
    policy.cbSize = sizeof policy;
    policy.dwFlags = CERT_CHAIN_POLICY_IGNORE_ALL_NOT_TIME_VALID_FLAGS;
    CERT_CHAIN_POLICY_STATUS status = {};
    status.cbSize = sizeof status;
    CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_AUTHENTICODE, chain,
                                     &policy, &status);
    wchar_t name[256];
    const DWORD length = CertGetNameStringW(
        signer, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, nullptr, 0);
    CertGetNameStringW(signer, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name,
                       std::min<DWORD>(length, 256));
    CertFreeCertificateChain(chain);
  } else {
    ok = false;
  }
  if (signer)
    CertFreeCertificateContext(signer);
  LocalFree(info);
  if (store)
    CertCloseStore(store, 0);
  if (message)
    CryptMsgClose(message);
  CloseHandle(held);
  return ok;
}

// A browser object that answers every call at once: the cost of the
// browser's side of a script call, which the bridge is measured against.
bool InvokeNothing(NPObject *, NPIdentifier, const NPVariant *, uint32_t,
                   NPVariant *) {
  return true;
}
bool HasEverything(NPObject *, NPIdentifier) { return true; }

// One script call as the test browser makes it, on any object.
bool ScriptCall(NPObject *object, NPIdentifier name,
                const std::vector<NPVariant> &args, std::string *text) {
  NPVariant result;
  result.type = NPVariantType_Void;
  result.value.objectValue = nullptr;
  NPClass *aClass = object->_class;
  if (!aClass->hasMethod(object, name))
    return false;
  const bool ok = aClass->invoke(object, name, args.data(),
                                 static_cast<uint32_t>(args.size()), &result);
  if (text && result.type == NPVariantType_String)
    text->assign(result.value.stringValue.UTF8Characters,
                 result.value.stringValue.UTF8Length);
  nphost::state::ReleaseVariantValue(&result);
  return ok;
}

struct Series {
  const char *name;
  std::function<bool()> subject;
  std::function<bool()> baseline;
  int repeat; // calls per round, so that one round is long enough to time
};

struct Samples {
  std::vector<double> subject, baseline, ratio;
};

double Timed(const std::function<bool()> &call, int repeat, bool &ok) {
  const double start = nphost::Now();
  for (int i = 0; i < repeat; ++i)
    ok = call() && ok;
  return (nphost::Now() - start) / repeat;
}

} // namespace

int wmain(int argc, wchar_t **argv) {
  const int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 30;
  const std::wstring path = argc > 2 ? argv[2] : nphost::BuiltPluginPath();
  std::string error;
  auto library =
      nphost::PluginLibrary::LoadStarted(path, nphost::kPalomirMimeType, error);
  if (!library) {
    std::fprintf(stderr, "cannot load the plug-in: %s\n", error.c_str());
    return 2;
  }
  int status = 0;
  {
    nphost::PluginInstance instance(*library);
    NPObject *object = instance.New() == NPERR_NO_ERROR
                           ? instance.ScriptableObject()
                           : nullptr;
    NPClass nothingClass = {};
    nothingClass.structVersion = 3;
    nothingClass.hasMethod = HasEverything;
    nothingClass.invoke = InvokeNothing;
    NPObject *nothing =
        object ? nphost::state::CreateObject(instance.Npp(), &nothingClass)
               : nullptr;
    if (!nothing) {
      std::fprintf(stderr, "cannot create an instance\n");
      return 2;
    }
    const NPIdentifier unknown = nphost::StringIdentifier("noSuchMethod");
    const NPIdentifier valueOf = nphost::StringIdentifier("valueOf");
    const NPIdentifier execute = nphost::StringIdentifier("ExecuteProcess");
    const NPIdentifier machineId = nphost::StringIdentifier("GetMachineID");
    const std::wstring wrongSigner =
        std::wstring(fixtures::kSignedDir) + L"\\other.exe";
    std::string wrongSignerUtf8(wrongSigner.begin(), wrongSigner.end());
    const std::vector<NPVariant> refusedArgs = {
        nphost::StringVariant(wrongSignerUtf8), nphost::StringVariant("x")};
    const auto answered = [](const char *expected) {
      return [expected](const std::string &text) {
        return text.find(expected) != std::string::npos;
      };
    };
    const auto call = [](NPObject *target, NPIdentifier name,
                         const std::vector<NPVariant> &args,
                         std::function<bool(const std::string &)> check) {
      return [=] {
        std::string text;
        return ScriptCall(target, name, args, &text) && (!check || check(text));
      };
    };
    const auto none = [nothing, unknown] {
      return ScriptCall(nothing, unknown, {}, nullptr);
    };

    Series series[] = {
        {"bridge: unknown name", call(object, unknown, {}, nullptr), none,
         2000},
        {"bridge: valueOf", call(object, valueOf, {}, nullptr), none, 2000},
        {"bridge: envelope of a refusal (no arguments)",
         call(object, execute, {}, answered("\"FALSE\", \"status\": 9999")),
         none, 2000},
        {"ExecuteProcess refused by the signer check",
         call(object, execute, refusedArgs,
              answered("\"FALSE\", \"status\": 9999")),
         [&wrongSigner] { return SignerCheckBaseline(wrongSigner.c_str()); },
         5},
        {"GetMachineID",
         call(object, machineId, {}, answered("\"status\": 0,")),
         MachineIdBaselineCall, 1},
    };
    // Warm both sides: first calls load libraries and fill caches. Every
    // baseline succeeds: the signer's name, where the plug-in refuses, is
    // read but not compared.
    for (Series &s : series) {
      if (!s.subject() || !s.baseline()) {
        std::fprintf(stderr, "%s: the call or its baseline failed\n", s.name);
        status = 1;
      }
    }
    constexpr std::size_t kSeries = sizeof series / sizeof series[0];
    Samples samples[kSeries];
    for (int round = 0; round < rounds; ++round) {
      for (std::size_t k = 0; k < kSeries; ++k) {
        const Series &s = series[k];
        bool ok = true;
        double subject = 0, baseline = 0;
        // Alternate which side goes first.
        if (round % 2 == 0) {
          subject = Timed(s.subject, s.repeat, ok);
          baseline = Timed(s.baseline, s.repeat, ok);
        } else {
          baseline = Timed(s.baseline, s.repeat, ok);
          subject = Timed(s.subject, s.repeat, ok);
        }
        if (!ok)
          status = 1;
        samples[k].subject.push_back(subject * 1e6);
        samples[k].baseline.push_back(baseline * 1e6);
        samples[k].ratio.push_back(subject / baseline);
      }
    }
    std::printf("%d rounds, interleaved; per call, medians over the rounds "
                "(min..max of the ratio)\n",
                rounds);
    for (std::size_t k = 0; k < kSeries; ++k) {
      const Samples &m = samples[k];
      const std::size_t n = m.ratio.size();
      std::printf("  %-46s %10.1f us  baseline %10.1f us  ratio %6.2f "
                  "(%.2f..%.2f)\n",
                  series[k].name, nphost::Median(m.subject, 0, n),
                  nphost::Median(m.baseline, 0, n),
                  nphost::Median(m.ratio, 0, n),
                  *std::min_element(m.ratio.begin(), m.ratio.end()),
                  *std::max_element(m.ratio.begin(), m.ratio.end()));
    }
    std::printf("  (bridge baseline: a browser object that answers at once; "
                "signer baseline: the check's platform calls alone; "
                "GetMachineID baseline: COM, WMI, two queries, one hash)\n");
    if (status)
      std::printf("  some calls failed\n");
    nphost::state::ReleaseObject(nothing);
  }
  return status;
}
