// One machine identifier computation, read out and torn down.
#pragma once

#include <string>

// Returns the identifier, or the empty text with `errorText` saying why;
// exactly one of the two is non-empty on return.
std::wstring FetchMachineId(std::wstring &errorText);
