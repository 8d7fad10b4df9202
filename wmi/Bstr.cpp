// BSTR construction with the failures turned into _com_error.
#include "wmi/Bstr.h"

#include <comdef.h>

#include <string>

UniqueBstr MakeBstr(const wchar_t *text) {
  UniqueBstr bstr(::SysAllocString(text));
  if (!bstr)
    throw _com_error(E_OUTOFMEMORY);
  return bstr;
}

UniqueBstr MakeBstrFromAnsi(const char *text) {
  const int length = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (length == 0)
    throw _com_error(HRESULT_FROM_WIN32(::GetLastError()));
  std::wstring wide(static_cast<size_t>(length), L'\0');
  if (::MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length) == 0)
    throw _com_error(HRESULT_FROM_WIN32(::GetLastError()));
  return MakeBstr(wide.c_str());
}
