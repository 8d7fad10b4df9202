// The host's own reading of a plug-in answer: a strict JSON parse that accepts
// only the one-line envelope of exactly the members result, status and
// description, so a soak or a random driver can tell a good answer from any
// other text.
#pragma once

#include <cstdint>
#include <string>

namespace nphost {

struct Envelope {
  std::string result; // the member's value, unescaped, as UTF-8
  int64_t status = 0;
  std::string description;
};

// True when `text` is valid UTF-8 holding one JSON object whose members are
// exactly "result" (a string), "status" (an integer) and "description" (a
// string), in that order, with status 0 described as "success" or 9999 as
// "unknown error". Otherwise false, and `why` says what was wrong.
bool ParseEnvelope(const std::string &text, Envelope &envelope,
                   std::string &why);

} // namespace nphost
