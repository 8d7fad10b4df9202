// The two query texts the identifier is read with, written out once more so
// that a change to them in the product shows.
#pragma once

#include <string>

const std::wstring kAdapterQuery =
    L"SELECT MacAddress FROM Win32_NetworkAdapter WHERE  Manufacturer != "
    L"'Microsoft' AND MacAddress IS NOT NULL AND MacAddress != '' AND "
    L"(ConfigManagerErrorCode = 0 OR (ConfigManagerErrorCode = 22 AND "
    L"NetConnectionStatus = 0)) AND NOT PNPDeviceID LIKE 'ROOT\\\\%'";
const std::wstring kProcessorQuery =
    L"SELECT ProcessorId FROM Win32_Processor WHERE DeviceID = 'CPU0'";
