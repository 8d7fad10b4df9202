// Builds a CMachineID over a connection and a hash service of the test's
// choosing, and reaches its MAC address collection.
#pragma once

#include "machineid/MachineID.h"

#include <memory>

class CMachineIDTestAccess {
public:
  using ConnectFunction = CMachineID::ConnectFunction;
  using HashFunction = CMachineID::HashFunction;

  static std::unique_ptr<CMachineID> Make(ConnectFunction connect,
                                          HashFunction hash) {
    return std::unique_ptr<CMachineID>(new CMachineID(connect, hash));
  }
  static std::wstring CollectMacAddress(CMachineID &id) {
    return id.CollectMacAddress();
  }
};
