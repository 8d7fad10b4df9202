// CMachineID: one computation of the machine identifier, from its WMI
// connection through collection and derivation to the texts a caller reads.
#pragma once

#include "digest/HashService.h"
#include "wmi/WMI.h"

#include <string>

class CMachineID {
public:
  // Connects to WMI and computes everything; afterwards exactly one of the
  // identifier and the error text is non-empty, or neither.
  CMachineID();
  // Tears the WMI connection down and balances the COM initialisation.
  virtual ~CMachineID();
  CMachineID(const CMachineID &) = delete;
  CMachineID &operator=(const CMachineID &) = delete;

  std::wstring MachineId() const;
  std::wstring ErrorText() const;

private:
  friend class CMachineIDTestAccess; // fake WMI services and hash service

  using ConnectFunction = HRESULT (*)(CWMI &wmi);
  using HashFunction = DWORD (*)(const std::wstring &text, std::wstring &digest,
                                 HashAlgorithm algorithm);
  CMachineID(ConnectFunction connect, HashFunction hash);

  void Compute(HashFunction hash);
  std::wstring CollectMacAddress();
  std::wstring CollectProcessorId();
  std::wstring DeriveMachineId(const std::wstring &processorId,
                               const std::wstring &macAddress,
                               HashFunction hash);

  std::wstring m_machineId;
  std::wstring m_errorText;
  CWMI m_wmi;
};
