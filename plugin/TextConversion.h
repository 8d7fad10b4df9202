// The system's two text conversions between wide (UTF-16) text and UTF-8 byte
// text. Free of NPAPI so that the digest service can use them too.
#pragma once

#include <string>

// The UTF-8 form of the whole wide text, NUL units included. Empty when the
// input is empty or the converter refuses it; never reports an error.
std::string WideToUtf8(const std::wstring &text);

// The UTF-16 form of the whole byte text, NUL bytes included. Empty when the
// input is empty or the converter refuses it; never reports an error.
std::wstring Utf8ToWide(const std::string &text);
