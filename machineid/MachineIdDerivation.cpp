// Turning the hardware facts into the identifier: MAC address then processor
// identifier, digested with SHA-512 (SHA-1 where that fails), upper-cased.
#include "machineid/ErrorCode.h"
#include "machineid/MachineID.h"

void CMachineID::Compute(HashFunction hash) {
  // The processor is asked whatever the MAC address gave, so when both fail
  // its text is the one that stays.
  const std::wstring macAddress = CollectMacAddress();
  const std::wstring processorId = CollectProcessorId();
  if (!macAddress.empty() || !processorId.empty())
    m_machineId = DeriveMachineId(processorId, macAddress, hash);
  if (!m_machineId.empty())
    m_errorText.clear();
}

std::wstring CMachineID::DeriveMachineId(const std::wstring &processorId,
                                         const std::wstring &macAddress,
                                         HashFunction hash) {
  if (processorId.empty() && macAddress.empty())
    return {};
  // A missing fact is stood in for by the other one.
  const std::wstring processorPart =
      processorId.empty() ? macAddress : processorId;
  const std::wstring macPart = macAddress.empty() ? processorPart : macAddress;
  const std::wstring combined = macPart + processorPart;

  std::wstring digest;
  if (hash(combined, digest, HashAlgorithm::Sha512) != 0) {
    const DWORD code = hash(combined, digest, HashAlgorithm::Sha1);
    if (code != 0) {
      m_errorText =
          L"Unable to hash Machine ID. Error Code: 0x" + FormatErrorCode(code);
      return {};
    }
  }
  for (wchar_t &c : digest)
    if (c >= L'a' && c <= L'z')
      c = static_cast<wchar_t>(c - L'a' + L'A');
  return digest;
}
