// The two WQL queries the hardware facts are read with.
#pragma once

// Physical, working (or disabled while disconnected) adapters that are not
// software-enumerated and not made by Microsoft. Two spaces follow WHERE;
// the pattern's doubled backslash is WQL's escape for one.
inline constexpr wchar_t kAdapterQuery[] =
    L"SELECT MacAddress FROM Win32_NetworkAdapter WHERE  Manufacturer != "
    L"'Microsoft' AND MacAddress IS NOT NULL AND MacAddress != '' AND "
    L"(ConfigManagerErrorCode = 0 OR (ConfigManagerErrorCode = 22 AND "
    L"NetConnectionStatus = 0)) AND NOT PNPDeviceID LIKE 'ROOT\\\\%'";
static_assert(sizeof(kAdapterQuery) / sizeof(wchar_t) - 1 == 255,
              "the adapter query is 255 characters");

// Only the first processor counts.
inline constexpr wchar_t kProcessorQuery[] =
    L"SELECT ProcessorId FROM Win32_Processor WHERE DeviceID = 'CPU0'";
