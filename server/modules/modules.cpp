#include "modules.h"

#include "rpc/method_registry.h"

void registerAllMethods(MethodRegistry&) {}
