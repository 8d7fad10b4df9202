// One owner for one Windows resource: the holder every handle kind of the
// system is an alias of, so that "released once, latest obtained first, on
// every path" follows from C++ destruction order instead of hand-written
// cleanup.
#pragma once

#include <windows.h>

#include <utility>

// Traits give the handle type, its invalid value and its release function.
template <typename Traits> class UniqueResource {
public:
  using Type = typename Traits::Type;

  UniqueResource() noexcept = default;
  explicit UniqueResource(Type value) noexcept : m_value(value) {}
  ~UniqueResource() { reset(); }

  UniqueResource(UniqueResource &&other) noexcept : m_value(other.release()) {}
  UniqueResource &operator=(UniqueResource &&other) noexcept {
    if (this != &other)
      reset(other.release());
    return *this;
  }
  UniqueResource(const UniqueResource &) = delete;
  UniqueResource &operator=(const UniqueResource &) = delete;

  Type get() const noexcept { return m_value; }
  explicit operator bool() const noexcept {
    return m_value != Traits::Invalid();
  }

  // Gives up ownership without releasing.
  Type release() noexcept { return std::exchange(m_value, Traits::Invalid()); }

  // Releases what is held, keeping the thread's last-error value: callers
  // report the code that the failing step left, which a release must not
  // overwrite.
  void reset(Type value = Traits::Invalid()) noexcept {
    Type old = std::exchange(m_value, value);
    if (old != Traits::Invalid()) {
      const DWORD lastError = GetLastError();
      Traits::Close(old);
      SetLastError(lastError);
    }
  }

  // For out-parameters: releases what is held first, so a second call into the
  // same holder can never leak the first resource.
  Type *put() noexcept {
    reset();
    return &m_value;
  }

private:
  Type m_value = Traits::Invalid();
};

// Traits for a handle kind whose invalid value is zero or null.
template <typename T, void (*CloseFn)(T)> struct NullHandleTraits {
  using Type = T;
  static constexpr T Invalid() noexcept { return T{}; }
  static void Close(T value) noexcept { CloseFn(value); }
};
