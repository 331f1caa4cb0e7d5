// The framework's entry: brings up the window system and runs the application object.
#pragma once

#include "framework/resource_module.h"

// Creates the window system's application from the command line, loads the framework's
// Japanese texts, and calls InitInstance of the one CWinApp; when that returns false the
// program ends without a message loop. Returns the exit status.
int AfxWinMain(int& argc, char** argv, const CResourceModule& resources);
