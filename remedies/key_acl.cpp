#include "remedies/key_acl.h"

#include <aclapi.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "registry/security_name.h"
#include "text/wide_string.h"

namespace {

constexpr BYTE kInheritedFlagsMask = NO_PROPAGATE_INHERIT_ACE | INHERIT_ONLY_ACE | INHERITED_ACE;

bool IsAllowOrDenyType(BYTE type) {
    switch (type) {
        case ACCESS_ALLOWED_ACE_TYPE:
        case ACCESS_DENIED_ACE_TYPE:
        case ACCESS_ALLOWED_OBJECT_ACE_TYPE:
        case ACCESS_DENIED_OBJECT_ACE_TYPE:
        case ACCESS_ALLOWED_CALLBACK_ACE_TYPE:
        case ACCESS_DENIED_CALLBACK_ACE_TYPE:
        case ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE:
        case ACCESS_DENIED_CALLBACK_OBJECT_ACE_TYPE:
            return true;
        default:
            return false;
    }
}

bool SetKeySecurity(const SecurityCalls& calls,
                    WideString& objectName,
                    SECURITY_INFORMATION what,
                    PSID owner,
                    PACL acl) {
    return calls.setNamedSecurityInfo(objectName.Text(), SE_REGISTRY_KEY, what, owner, nullptr, acl, nullptr) ==
           ERROR_SUCCESS;
}

}  // namespace

KeyAcl::KeyAcl() {
    acl = static_cast<PACL>(LocalAlloc(LMEM_ZEROINIT, kAclBytes));
    if (acl && !InitializeAcl(acl, kAclBytes, ACL_REVISION)) {
        LocalFree(acl);
        acl = nullptr;
    }
}

KeyAcl::~KeyAcl() {
    if (acl) {
        LocalFree(acl);
    }
}

bool IsExplicitAce(PACL acl, DWORD index) {
    void* entry = nullptr;
    if (!GetAce(acl, index, &entry)) {
        return false;
    }
    const auto* header = static_cast<const ACE_HEADER*>(entry);
    return IsAllowOrDenyType(header->AceType) && (header->AceFlags & kInheritedFlagsMask) == 0;
}

bool KeyAcl::AddAllowedAce(PSID sid, ACCESS_MASK mask) {
    if (!acl || !sid || !IsValidSid(sid)) {
        return false;
    }
    const DWORD sidBytes = GetLengthSid(sid);
    // ACCESS_ALLOWED_ACE ends in the SID's first DWORD: header, mask, then the whole SID.
    const DWORD entryBytes = sizeof(ACE_HEADER) + sizeof(ACCESS_MASK) + sidBytes;
    std::vector<BYTE> entry(entryBytes, 0);
    auto* allowed = reinterpret_cast<ACCESS_ALLOWED_ACE*>(entry.data());
    allowed->Header.AceType = ACCESS_ALLOWED_ACE_TYPE;
    allowed->Header.AceFlags = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    allowed->Header.AceSize = static_cast<WORD>(entryBytes);
    allowed->Mask = mask;
    memcpy(&allowed->SidStart, sid, sidBytes);

    DWORD index = acl->AceCount;
    while (index > 0 && !IsExplicitAce(acl, index - 1)) {
        --index;
    }
    // Appended, then moved into place ourselves: not every AddAce honours its index (Wine's
    // always appends), and the entry must stand before the inherited ones.
    const DWORD last = acl->AceCount;
    if (!AddAce(acl, ACL_REVISION, MAXDWORD, entry.data(), entryBytes)) {
        return false;
    }
    if (index < last) {
        void* target = nullptr;
        void* added = nullptr;
        if (GetAce(acl, index, &target) && GetAce(acl, last, &added)) {
            BYTE* first = static_cast<BYTE*>(target);
            BYTE* middle = static_cast<BYTE*>(added);
            std::rotate(first, middle, middle + entryBytes);
        }
    }
    return true;
}

bool KeyAcl::ApplyToKey(const wchar_t* path, PSID owner, const SecurityCalls& calls) {
    WideString objectName(path);
    if (!acl || !RegistryPathToSecurityName(objectName)) {
        return false;
    }
    // "If the caller does not have the SeRestorePrivilege ..., this SID must be contained in
    // the caller's token": an administrator acting for the console user needs it to make
    // that user the owner, and holds it disabled.
    // https://learn.microsoft.com/windows/win32/api/aclapi/nf-aclapi-setnamedsecurityinfow
    std::optional<EnabledPrivilege> restore;
    if (owner && !IsCallerUser(owner, calls)) {
        restore.emplace(SE_RESTORE_NAME, calls);
    }
    SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION | UNPROTECTED_DACL_SECURITY_INFORMATION;
    if (owner) {
        what |= OWNER_SECURITY_INFORMATION;
    }
    if (SetKeySecurity(calls, objectName, what, owner, acl)) {
        return true;
    }
    // Without WRITE_DAC, the right to take ownership may still be there; the new owner may
    // then write the DACL.
    if (!owner || !SetKeySecurity(calls, objectName, OWNER_SECURITY_INFORMATION, owner, nullptr)) {
        return false;
    }
    return SetKeySecurity(calls, objectName, what, owner, acl);
}
