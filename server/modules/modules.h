#pragma once
// Registration of every remote data module's methods, by topic file.

class MethodRegistry;

// All methods of the four remote data modules except the session methods,
// which the session manager registers itself.
void registerAllMethods(MethodRegistry& registry);
