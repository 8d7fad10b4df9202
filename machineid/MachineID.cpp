// CMachineID's lifecycle: connect, compute, read out, tear down.
#include "machineid/MachineID.h"

#include "machineid/ErrorCode.h"

namespace {
HRESULT ConnectToWmi(CWMI &wmi) { return wmi.Connect(); }
} // namespace

CMachineID::CMachineID() : CMachineID(ConnectToWmi, ComputeHash) {}

CMachineID::CMachineID(ConnectFunction connect, HashFunction hash) {
  // Should an exception end the construction, this destructor will not run,
  // but m_wmi's does: it disconnects, leaving the thread's COM state and the
  // references as they were before.
  const HRESULT hr = connect(m_wmi);
  if (FAILED(hr)) {
    m_errorText = L"Error while initializing WMI. Error Code: 0x" +
                  FormatErrorCode(static_cast<uint32_t>(hr));
    return;
  }
  Compute(hash);
}

// A failed connection can leave references and the COM initialisation behind,
// so the teardown runs on every path.
CMachineID::~CMachineID() { m_wmi.Disconnect(); }

std::wstring CMachineID::MachineId() const { return m_machineId; }

std::wstring CMachineID::ErrorText() const { return m_errorText; }
