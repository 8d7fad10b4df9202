// The host's own UTF-16 to UTF-8 conversion, kept apart from the plug-in's so
// that a fault there cannot hide itself in what the host feeds it.
#pragma once

#include <string>

namespace nphost {

// False (and `utf8` empty) for text that is not valid UTF-16, such as a lone
// surrogate.
bool WideToUtf8Strict(const std::wstring &wide, std::string &utf8);

// For messages: invalid units become U+FFFD.
std::string Utf8ForMessage(const std::wstring &wide);

} // namespace nphost
