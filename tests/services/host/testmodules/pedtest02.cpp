// A library in the modules folder that is not a screen module: no IniProc.
#include "moduleapi.h"

PED_MODULE_EXPORT int NotIniProc()
{
    return 2;
}
