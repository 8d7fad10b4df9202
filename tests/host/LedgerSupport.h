// Ledger helpers for the tests: readable failure output and the change of
// every count since a point.
#pragma once

#include "host/BrowserHost.h"

#include <ostream>

namespace nphost {

inline void PrintTo(const Ledger &ledger, std::ostream *os) {
  const std::string text = DescribeLedger(ledger);
  *os << "{" << (text.empty() ? "clean" : text) << "}";
}

inline Ledger LedgerSince(const Ledger &before) {
  const Ledger now = CurrentLedger();
  return Ledger{now.liveBlocks - before.liveBlocks,
                now.liveObjects - before.liveObjects,
                now.badFrees - before.badFrees,
                now.badReleases - before.badReleases,
                now.badVariants - before.badVariants,
                now.overruns - before.overruns,
                now.badIdentifiers - before.badIdentifiers,
                now.badObjects - before.badObjects};
}

} // namespace nphost
