// The publisher check that guards ExecuteProcess: signature and file digest,
// chain to a trusted root, then the first signer's subject name.
#include "launcher/FileSigner.h"

#include "common/CryptHandles.h"
#include "common/WinHandles.h"

#include <windows.h>

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <vector>

const wchar_t ExpectedSignerName[] = L"Palomir Ltd.";

namespace {

wchar_t FoldAsciiLetter(wchar_t unit) {
  return (unit >= L'A' && unit <= L'Z') ? static_cast<wchar_t>(unit + 32)
                                        : unit;
}

// The signature over the file is intact and the file unchanged since signing.
// No UI, no revocation check and no retrieval from the network. An expired
// signing certificate is tolerated here (Windows reports it while Wine does
// not); everything else about the chain is left to SignerChainIsTrusted, which
// must hold on both.
bool SignatureVerifies(const std::wstring &filePath) {
  WINTRUST_FILE_INFO fileInfo = {};
  fileInfo.cbStruct = sizeof(fileInfo);
  fileInfo.pcwszFilePath = filePath.c_str();

  WINTRUST_DATA trustData = {};
  trustData.cbStruct = sizeof(trustData);
  trustData.dwUIChoice = WTD_UI_NONE;
  trustData.fdwRevocationChecks = WTD_REVOKE_NONE;
  trustData.dwUnionChoice = WTD_CHOICE_FILE;
  trustData.pFile = &fileInfo;
  // Ignore: WinVerifyTrust keeps no state for a later close call.
  trustData.dwStateAction = WTD_STATEACTION_IGNORE;
  trustData.dwProvFlags =
      WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;

  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  const LONG status = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE),
                                     &action, &trustData);
  return status == ERROR_SUCCESS || status == static_cast<LONG>(CERT_E_EXPIRED);
}

// The signer's certificate chains, through the certificates the file carries,
// to a root the machine trusts, under the policy for signed code; only the
// validity periods are ignored so that programs signed years ago still start.
bool SignerChainIsTrusted(PCCERT_CONTEXT signer, HCERTSTORE messageStore) {
  char codeSigning[] = szOID_PKIX_KP_CODE_SIGNING;
  LPSTR usages[] = {codeSigning};
  CERT_CHAIN_PARA chainPara = {};
  chainPara.cbSize = sizeof(chainPara);
  chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
  chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
  chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = usages;

  UniqueCertChainContext chain;
  if (!CertGetCertificateChain(nullptr, signer, nullptr, messageStore,
                               &chainPara, 0, nullptr, chain.put()) ||
      !chain)
    return false;

  CERT_CHAIN_POLICY_PARA policyPara = {};
  policyPara.cbSize = sizeof(policyPara);
  policyPara.dwFlags = CERT_CHAIN_POLICY_IGNORE_ALL_NOT_TIME_VALID_FLAGS;
  CERT_CHAIN_POLICY_STATUS policyStatus = {};
  policyStatus.cbSize = sizeof(policyStatus);
  if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_AUTHENTICODE,
                                        chain.get(), &policyPara,
                                        &policyStatus))
    return false;
  return policyStatus.dwError == ERROR_SUCCESS;
}

// The subject's simple display name, or empty when it cannot be read.
std::wstring SubjectDisplayName(PCCERT_CONTEXT certificate) {
  const DWORD length = CertGetNameStringW(
      certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, nullptr, 0);
  if (length == 0)
    return std::wstring();
  std::vector<wchar_t> name(length);
  if (CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr,
                         name.data(), length) == 0)
    return std::wstring();
  // The reported length counts the terminator.
  return std::wstring(name.data(), length - 1);
}

// Whole texts, unit by unit, with only A to Z folded onto a to z.
bool SignerNameMatches(const std::wstring &subjectName,
                       const std::wstring &expectedSigner) {
  if (subjectName.size() != expectedSigner.size())
    return false;
  for (std::size_t i = 0; i < subjectName.size(); ++i) {
    if (FoldAsciiLetter(subjectName[i]) != FoldAsciiLetter(expectedSigner[i]))
      return false;
  }
  return true;
}

} // namespace

bool CheckFileSigner(const std::wstring &filePath,
                     const std::wstring &expectedSigner) {
  if (filePath.empty() || !SignatureVerifies(filePath))
    return false;

  // Destroyed in reverse order: certificate, signer information, store,
  // message; the name is a local of its own helper.
  UniqueCryptMsg message;
  UniqueCertStore store;
  DWORD encodingType = 0;
  DWORD contentType = 0;
  DWORD formatType = 0;
  if (!CryptQueryObject(CERT_QUERY_OBJECT_FILE, filePath.c_str(),
                        CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED,
                        CERT_QUERY_FORMAT_FLAG_BINARY, 0, &encodingType,
                        &contentType, &formatType, store.put(), message.put(),
                        nullptr) ||
      !store || !message)
    return false;

  DWORD signerInfoSize = 0;
  if (!CryptMsgGetParam(message.get(), CMSG_SIGNER_INFO_PARAM, 0, nullptr,
                        &signerInfoSize) ||
      signerInfoSize == 0)
    return false;
  UniqueHLocal signerInfoBlock(LocalAlloc(LPTR, signerInfoSize));
  if (!signerInfoBlock)
    return false;
  if (!CryptMsgGetParam(message.get(), CMSG_SIGNER_INFO_PARAM, 0,
                        signerInfoBlock.get(), &signerInfoSize))
    return false;
  const auto *signerInfo =
      static_cast<const CMSG_SIGNER_INFO *>(signerInfoBlock.get());

  CERT_INFO searchKey = {};
  searchKey.Issuer = signerInfo->Issuer;
  searchKey.SerialNumber = signerInfo->SerialNumber;
  UniqueCertContext signer(
      CertFindCertificateInStore(store.get(), X509_ASN_ENCODING, 0,
                                 CERT_FIND_SUBJECT_CERT, &searchKey, nullptr));
  if (!signer)
    return false;

  if (!SignerChainIsTrusted(signer.get(), store.get()))
    return false;

  const std::wstring subjectName = SubjectDisplayName(signer.get());
  return !subjectName.empty() && SignerNameMatches(subjectName, expectedSigner);
}
