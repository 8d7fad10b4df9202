// The fixed table of status codes and messages that answers carry. The system
// answers with two rows only; the others are defined and never delivered.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct ApiStatus {
  int32_t code;
  std::wstring message;
};

constexpr std::size_t kStatusTableRows = 76;

// Built when the library is loaded, in its stored order; never changes.
extern const std::array<ApiStatus, kStatusTableRows> StatusTable;

// The rows that answers name directly.
const ApiStatus &StatusSuccess();      // code 0, "success"
const ApiStatus &StatusUnknownError(); // code 9999, "unknown error"
