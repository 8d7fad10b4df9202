// Digests of a text's UTF-8 bytes through CryptoAPI, as unpadded base64 text.
#pragma once

#include <windows.h>

#include <string>

enum class HashAlgorithm : DWORD {
  Sha1 = 0,   // 20 bytes, 27 characters of text
  Sha512 = 1, // 64 bytes, 86 characters of text
};

// The code ComputeHash answers for an empty text.
constexpr DWORD kHashEmptyText = 0xFFFFFFFF;

// Hashes the UTF-8 form of `text` up to its first NUL with the provider the
// selector names, acquired and released within the call. Returns 0 and writes
// `digest`, or returns kHashEmptyText for an empty text, or the last-error code
// of the failing CryptoAPI step; on failure `digest` keeps its content.
DWORD ComputeHash(const std::wstring &text, std::wstring &digest,
                  HashAlgorithm algorithm);
