// COM's apartment count and the in-process class table behind CoCreateInstance.
#include <vector>

#include "platform/win32/windows.h"

namespace {

struct ClassEntry {
    CLSID clsid;
    ComClassCreator creator;
};

std::vector<ClassEntry>& ClassTable() {
    static std::vector<ClassEntry> table;
    return table;
}

int initCount = 0;

}  // namespace

bool ComRegisterClass(REFCLSID clsid, ComClassCreator creator) {
    for (ClassEntry& entry : ClassTable()) {
        if (entry.clsid == clsid) {
            entry.creator = creator;
            return true;
        }
    }
    ClassTable().push_back(ClassEntry{clsid, creator});
    return true;
}

HRESULT WINAPI CoInitialize(LPVOID) { return initCount++ == 0 ? S_OK : S_FALSE; }

void WINAPI CoUninitialize() {
    if (initCount > 0) --initCount;
}

HRESULT WINAPI CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD clsContext, REFIID iid, LPVOID* object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (initCount == 0) return CO_E_NOTINITIALIZED;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    if ((clsContext & CLSCTX_INPROC) == 0) return REGDB_E_CLASSNOTREG;
    for (const ClassEntry& entry : ClassTable())
        if (entry.clsid == clsid) return entry.creator(iid, object);
    return REGDB_E_CLASSNOTREG;
}
