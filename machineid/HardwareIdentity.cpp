// Reading the two hardware facts from WMI: the least MAC address of the
// adapters that pass the filter, and the processor identifier of CPU0.
#include "machineid/ErrorCode.h"
#include "machineid/IdentityQueries.h"
#include "machineid/MachineID.h"

#include <algorithm>
#include <vector>

std::wstring CMachineID::CollectMacAddress() {
  std::vector<std::wstring> candidates;
  const HRESULT hr =
      m_wmi.QueryValues(kAdapterQuery, L"MacAddress", candidates);
  if (FAILED(hr)) {
    m_errorText = L"Error while getting adapter mac address. Error Code: 0x" +
                  FormatErrorCode(static_cast<uint32_t>(hr));
    return {};
  }
  if (candidates.empty()) {
    m_errorText = L"No valid adapter mac address was found";
    return {};
  }
  // wstring orders by unsigned UTF-16 units, a prefix first: only the least
  // entry counts, so one pass stands in for the sort.
  const std::wstring least =
      *std::min_element(candidates.begin(), candidates.end());
  if (least.empty()) {
    m_errorText = L"Mac address wasn't found";
    return {};
  }
  return least;
}

std::wstring CMachineID::CollectProcessorId() {
  std::wstring processorId;
  const HRESULT hr =
      m_wmi.QueryValue(kProcessorQuery, L"ProcessorId", processorId);
  if (FAILED(hr)) {
    m_errorText =
        L"Error while getting processor serial number. Error Code: 0x" +
        FormatErrorCode(static_cast<uint32_t>(hr));
    return {};
  }
  if (processorId.empty()) {
    m_errorText = L"Processor serial number wasn't found";
    return {};
  }
  return processorId;
}
