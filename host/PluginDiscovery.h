// Finds an installed plug-in by MIME type the way the browser does on Windows:
// the Path values of the keys under SOFTWARE\MozillaPlugins, the user's before
// the machine's, and the first library whose version resource declares the
// type.
#pragma once

#include <string>

// The library's path, or empty with the reasons every candidate was refused in
// `error` (no key, a Path naming no file, a library declaring other types).
std::wstring FindPluginByMimeType(const std::string &mimeType,
                                  std::string &error);
