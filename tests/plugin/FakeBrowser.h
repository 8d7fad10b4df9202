// A small browser for the plug-in's tests: the seven calls the plug-in makes,
// with every block and object accounted and failures on request.
#pragma once

#include "plugin/NpapiTypes.h"

#include <map>
#include <string>

namespace fakebrowser {

struct Block {
  uint32_t size;
};

struct Browser {
  std::map<void *, Block> blocks; // live memalloc blocks
  long liveObjects = 0;
  long badFrees = 0;    // memfree of a block that is not live
  long badReleases = 0; // release of an object with no reference left
  long calls = 0;       // every call into the table
  long memallocCalls = 0;
  long createCalls = 0;
  long retainCalls = 0;
  long releaseCalls = 0;
  int failMemAlloc = 0; // the next n memalloc calls answer null
  int failCreate = 0;   // the next n createobject calls answer null
  std::string exception;
  long exceptionCalls = 0;
  NPObject *exceptionObject = nullptr;
};

// The one browser of the test program, reset by Reset().
Browser &State();
void Reset();

// A standard table (size 196 up to getauthenticationinfo, version 0.27) whose
// entries after setexception are filled with a marker too, so a test can see
// whether they were kept.
NPNetscapeFuncs Table();

NPIdentifier StringId(const std::string &name);
NPIdentifier IntId(int32_t value);

// True when nothing is live and nothing went wrong.
bool Clean();

// Releases a result variant the way a browser does once script read it.
void ReleaseVariant(NPVariant &variant);
std::string StringOf(const NPVariant &variant);

} // namespace fakebrowser
