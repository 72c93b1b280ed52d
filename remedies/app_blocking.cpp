#include "remedies/app_blocking.h"

#include "registry/registry_key.h"

namespace {

WideString ProgIdPath(const wchar_t* sid, const WideString& progId) {
    return WideString::Append({L"HKU\\", sid, L"\\Software\\Classes\\", progId.CStr()});
}

}  // namespace

bool IsAppBlocked(const wchar_t* sid, const WideStringList& progIds) {
    uint32_t existing = 0;
    RegistryKey holder;
    for (uint32_t i = 0; i < progIds.count; ++i) {
        const WideString path = ProgIdPath(sid, progIds.items[i]);
        if (!RegistryEntryExists(path.CStr(), nullptr) || IsRegistryLink(path.CStr())) {
            continue;
        }
        ++existing;
        const bool noOpenWith = RegistryEntryExists(path.CStr(), kNoOpenWith);
        const bool noDefaultVerb = RegistryEntryExists(path.CStr(), kNoStaticDefaultVerb);
        if (noOpenWith && !noDefaultVerb) {
            holder.Write(path.CStr(), kNoStaticDefaultVerb);  // finish a half-written block
        } else if (!noOpenWith && !noDefaultVerb) {
            return false;
        }
    }
    return existing > 0;
}

uint32_t SetAppBlocked(const wchar_t* sid, const WideStringList& progIds, bool block) {
    uint32_t changes = 0;
    RegistryKey holder;
    for (uint32_t i = 0; i < progIds.count; ++i) {
        const WideString path = ProgIdPath(sid, progIds.items[i]);
        const bool exists = RegistryEntryExists(path.CStr(), nullptr);
        if (IsRegistryLink(path.CStr())) {
            continue;  // its markers would land on the key it points to
        }
        if (block) {
            changes += holder.Write(path.CStr(), kNoOpenWith) ? 1 : 0;
            changes += holder.Write(path.CStr(), kNoStaticDefaultVerb) ? 1 : 0;
        } else if (exists) {
            changes += holder.Remove(path.CStr(), kNoOpenWith) ? 1 : 0;
            changes += holder.Remove(path.CStr(), kNoStaticDefaultVerb) ? 1 : 0;
        }
    }
    return changes;
}
