// Builds the one-line JSON answer and stores it into a result variant.
#include "plugin/ResultEnvelope.h"

#include "plugin/BrowserFuncs.h"
#include "plugin/TextConversion.h"

#include <cstring>
#include <sstream>

std::wstring BuildResultEnvelope(const std::wstring &resultText,
                                 const ApiStatus &status) {
  std::wostringstream stream;
  stream << L"{\"result\": \"" << resultText << L"\", \"status\": "
         << status.code << L", \"description\": \"" << status.message << L"\"}";
  return stream.str();
}

void SetResultEnvelope(const std::wstring &resultText, const ApiStatus &status,
                       NPVariant *result) {
  const std::wstring envelope = BuildResultEnvelope(resultText, status);
  if (result == nullptr)
    return;
  SetVariantString(envelope, result);
}

void SetVariantString(const std::wstring &text, NPVariant *result) {
  const std::string utf8 = WideToUtf8(text.substr(0, text.find(L'\0')));
  result->type = NPVariantType_String;
  result->value.stringValue.UTF8Characters = nullptr;
  result->value.stringValue.UTF8Length = 0;
  if (utf8.empty())
    return;
  // utf8 has no NUL (the wide text was cut at its first one), so its size is
  // the stored length.
  const auto length = static_cast<uint32_t>(utf8.size());
  auto *block = static_cast<char *>(NPN_MemAlloc(length + 1));
  if (block == nullptr)
    return;
  std::memset(block, 0, length + 1);
  std::memcpy(block, utf8.data(), length);
  result->value.stringValue.UTF8Characters = block;
  result->value.stringValue.UTF8Length = length;
}
