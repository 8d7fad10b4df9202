// Owners for COM references, BSTRs and VARIANTs.
#pragma once

#include "common/UniqueResource.h"

#include <oleauto.h>
#include <windows.h>

#include <utility>

// Holds one reference to a COM interface and releases it once.
template <typename T> class ComPtr {
public:
  ComPtr() noexcept = default;
  // Adopts a reference the caller already owns.
  explicit ComPtr(T *ptr) noexcept : m_ptr(ptr) {}
  ~ComPtr() { reset(); }

  ComPtr(ComPtr &&other) noexcept : m_ptr(other.release()) {}
  ComPtr &operator=(ComPtr &&other) noexcept {
    if (this != &other) {
      reset();
      m_ptr = other.release();
    }
    return *this;
  }
  ComPtr(const ComPtr &) = delete;
  ComPtr &operator=(const ComPtr &) = delete;

  T *get() const noexcept { return m_ptr; }
  T *operator->() const noexcept { return m_ptr; }
  explicit operator bool() const noexcept { return m_ptr != nullptr; }

  T *release() noexcept { return std::exchange(m_ptr, nullptr); }
  void reset() noexcept {
    if (T *old = std::exchange(m_ptr, nullptr))
      old->Release();
  }
  // For out-parameters: drops the reference held first.
  T **put() noexcept {
    reset();
    return &m_ptr;
  }
  void **put_void() noexcept { return reinterpret_cast<void **>(put()); }

private:
  T *m_ptr = nullptr;
};

namespace detail {
inline void FreeBstr(BSTR b) { ::SysFreeString(b); }
} // namespace detail

using UniqueBstr = UniqueResource<NullHandleTraits<BSTR, detail::FreeBstr>>;

// A VARIANT that is initialised on construction and cleared on destruction.
class UniqueVariant {
public:
  UniqueVariant() noexcept { ::VariantInit(&m_value); }
  ~UniqueVariant() { ::VariantClear(&m_value); }
  UniqueVariant(const UniqueVariant &) = delete;
  UniqueVariant &operator=(const UniqueVariant &) = delete;

  VARIANT *get() noexcept { return &m_value; }
  const VARIANT *get() const noexcept { return &m_value; }
  // For out-parameters: clears what is held first.
  VARIANT *put() noexcept {
    ::VariantClear(&m_value);
    return &m_value;
  }

private:
  VARIANT m_value;
};
