// Calls the ExecuteProcess method as page script does and gives back the
// answer's text.
#pragma once

#include "plugin/NpapiTypes.h"

#include <string>
#include <vector>

namespace launchtest {

constexpr char kStarted[] =
    R"({"result": "TRUE", "status": 0, "description": "success"})";
constexpr char kRefused[] =
    R"({"result": "FALSE", "status": 9999, "description": "unknown error"})";

// The answer to ExecuteProcess(args...); "(void)" when no string came back.
std::string CallExecuteProcess(const std::vector<NPVariant> &args);
// The same with two strings given as UTF-8 bytes.
std::string CallExecuteProcess(const std::string &path,
                               const std::string &arguments);

} // namespace launchtest
