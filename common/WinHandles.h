// Owners for kernel objects and local memory.
#pragma once

#include "common/UniqueResource.h"

#include <windows.h>

namespace detail {
inline void CloseKernelHandle(HANDLE h) { ::CloseHandle(h); }
inline void FreeLocal(HLOCAL h) { ::LocalFree(h); }

// File handles use INVALID_HANDLE_VALUE, not null, for "none".
struct FileHandleTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) noexcept { ::CloseHandle(h); }
};
} // namespace detail

// A process, thread or other handle that is null when absent.
using UniqueHandle =
    UniqueResource<NullHandleTraits<HANDLE, detail::CloseKernelHandle>>;
// A handle from CreateFileW.
using UniqueFileHandle = UniqueResource<detail::FileHandleTraits>;
// A block from LocalAlloc.
using UniqueHLocal =
    UniqueResource<NullHandleTraits<HLOCAL, detail::FreeLocal>>;

namespace detail {
inline void ReleaseModule(HMODULE m) { ::FreeLibrary(m); }
inline void DestroyWindowHandle(HWND w) { ::DestroyWindow(w); }
} // namespace detail

// A library from LoadLibraryW.
using UniqueModule =
    UniqueResource<NullHandleTraits<HMODULE, detail::ReleaseModule>>;
// A window from CreateWindowExW.
using UniqueWindow =
    UniqueResource<NullHandleTraits<HWND, detail::DestroyWindowHandle>>;

namespace detail {
inline void CloseRegistryKey(HKEY k) { ::RegCloseKey(k); }
} // namespace detail

// A registry key from RegOpenKeyExW.
using UniqueHKey =
    UniqueResource<NullHandleTraits<HKEY, detail::CloseRegistryKey>>;
