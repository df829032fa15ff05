// on_wine_windows.cpp -- OnWine on Windows: Wine's ntdll exports wine_get_version, Windows' does not.
#include "on_wine.h"

#include <windows.h>

namespace apitest {

bool OnWine() {
    static const bool onWine = [] {
        const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
        return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return onWine;
}

}  // namespace apitest
