// The calling thread's COM state as tests observe it, and fresh threads to
// observe it on.
#pragma once

#include <objbase.h>

#include <functional>
#include <thread>

enum class Apartment { None, Single, Multi };

// CoGetApartmentType's view of the thread. A thread that never initialised
// COM may be counted into the process's MTA implicitly; that is None here.
inline Apartment CurrentApartment() {
  APTTYPE type;
  APTTYPEQUALIFIER qualifier;
  if (FAILED(::CoGetApartmentType(&type, &qualifier)))
    return Apartment::None;
  if (type == APTTYPE_MTA && qualifier == APTTYPEQUALIFIER_IMPLICIT_MTA)
    return Apartment::None;
  return type == APTTYPE_MTA ? Apartment::Multi : Apartment::Single;
}

// Runs the body on a new thread, whose COM state starts uninitialised.
inline void OnFreshThread(const std::function<void()> &body) {
  std::thread thread(body);
  thread.join();
}
