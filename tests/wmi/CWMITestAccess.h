// Hands a CWMI services of the test's choosing in place of a connection.
#pragma once

#include "wmi/WMI.h"

class CWMITestAccess {
public:
  // The CWMI takes a reference of its own, released by Disconnect.
  static void AttachServices(CWMI &wmi, IWbemServices *services) {
    services->AddRef();
    wmi.m_services = ComPtr<IWbemServices>(services);
  }
};
