#include "plugin/BrowserFuncs.h"

NPNetscapeFuncs BrowserFuncs = {};
