// BSTRs made from wide or ANSI text, raising _com_error when they cannot be.
#pragma once

#include "common/ComHolders.h"

// A BSTR of the text up to its first NUL; E_OUTOFMEMORY when it cannot be made.
UniqueBstr MakeBstr(const wchar_t *text);
// A BSTR of ANSI text widened through the ANSI code page; a failed widening
// raises its Win32 error as an HRESULT.
UniqueBstr MakeBstrFromAnsi(const char *text);
