// Times GetMachineID through the test browser against the bare platform calls
// one identifier needs, interleaved in one run, and prints the ratio of the
// two with its spread. Usage: machineid_bench [calls] [plug-in DLL]
#include "bench/machineid/MachineIdBaseline.h"
#include "host/BrowserHost.h"
#include "host/BuiltPluginPath.h"
#include "host/Measure.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double Percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  const size_t index =
      static_cast<size_t>(fraction * (values.size() - 1) + 0.5);
  return values[index];
}

} // namespace

int wmain(int argc, wchar_t **argv) {
  const int calls = argc > 1 ? std::max(1, _wtoi(argv[1])) : 40;
  const std::wstring path = argc > 2 ? argv[2] : nphost::BuiltPluginPath();

  std::string error;
  auto library =
      nphost::PluginLibrary::LoadStarted(path, nphost::kPalomirMimeType, error);
  if (!library) {
    std::fprintf(stderr, "cannot load the plug-in: %s\n", error.c_str());
    return 2;
  }
  int status = 0;
  {
    nphost::PluginInstance instance(*library);
    if (instance.New() != NPERR_NO_ERROR || !instance.ScriptableObject()) {
      std::fprintf(stderr, "cannot create an instance\n");
      return 2;
    }
    const auto pluginCall = [&instance] {
      const nphost::CallResult call = instance.Invoke("GetMachineID");
      return call.succeeded &&
             call.text.find("\"status\": 0,") != std::string::npos;
    };
    // Warm both paths: the first WMI connection of a process costs extra.
    if (!pluginCall() || !MachineIdBaselineCall()) {
      std::fprintf(stderr, "GetMachineID or the platform calls failed\n");
      return 1;
    }

    std::vector<double> plugin, baseline, ratio;
    for (int i = 0; i < calls; ++i) {
      double p = 0, b = 0;
      // Alternate which goes first so drift weighs on both alike.
      for (int turn = 0; turn < 2; ++turn) {
        const bool pluginTurn = (turn == 0) == (i % 2 == 0);
        const double start = nphost::Now();
        const bool ok = pluginTurn ? pluginCall() : MachineIdBaselineCall();
        (pluginTurn ? p : b) = nphost::Now() - start;
        if (!ok)
          status = 1;
      }
      plugin.push_back(p * 1000);
      baseline.push_back(b * 1000);
      ratio.push_back(p / b);
    }
    std::printf("GetMachineID through the host, %d calls interleaved with the "
                "bare platform calls\n",
                calls);
    std::printf("  plug-in call   median %.2f ms (p10 %.2f, p90 %.2f)\n",
                Percentile(plugin, 0.5), Percentile(plugin, 0.1),
                Percentile(plugin, 0.9));
    std::printf("  platform only  median %.2f ms (p10 %.2f, p90 %.2f)\n",
                Percentile(baseline, 0.5), Percentile(baseline, 0.1),
                Percentile(baseline, 0.9));
    std::printf("  ratio          median %.3f (p10 %.3f, p90 %.3f, "
                "min %.3f, max %.3f)\n",
                Percentile(ratio, 0.5), Percentile(ratio, 0.1),
                Percentile(ratio, 0.9), Percentile(ratio, 0.0),
                Percentile(ratio, 1.0));
    if (status != 0)
      std::printf("  some calls failed\n");
  }
  return status;
}
