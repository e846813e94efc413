// The one application object of the program, constructed during static initialisation.
#include "app/uninstall_app.h"

CUninstallApp theApp;
