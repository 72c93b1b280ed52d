#include "remedies/key_acl.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <string>

#include "registry/registry_key.h"
#include "support/acl_reading.h"
#include "support/scratch_key.h"

namespace {

struct Sid {
    PSID sid = nullptr;
    explicit Sid(const wchar_t* text) { ConvertStringSidToSidW(text, &sid); }
    ~Sid() { LocalFree(sid); }
};

ACE_HEADER* Entry(PACL acl, DWORD index) {
    void* entry = nullptr;
    return GetAce(acl, index, &entry) ? static_cast<ACE_HEADER*>(entry) : nullptr;
}

TEST(KeyAclAddAllowedAce, AppendsInheritableEntriesInCallOrder) {
    KeyAcl acl;
    ASSERT_NE(acl.acl, nullptr);
    Sid a(L"S-1-5-32-544"), b(L"S-1-5-18"), c(L"S-1-1-0");
    EXPECT_TRUE(acl.AddAllowedAce(a.sid, GENERIC_ALL));
    EXPECT_TRUE(acl.AddAllowedAce(b.sid, GENERIC_ALL));
    EXPECT_TRUE(acl.AddAllowedAce(c.sid, GENERIC_READ));
    ASSERT_EQ(acl.acl->AceCount, 3);
    const wchar_t* expectedSids[] = {L"S-1-5-32-544", L"S-1-5-18", L"S-1-1-0"};
    for (DWORD i = 0; i < 3; ++i) {
        auto* entry = reinterpret_cast<ACCESS_ALLOWED_ACE*>(Entry(acl.acl, i));
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
        EXPECT_EQ(entry->Header.AceFlags, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
        EXPECT_EQ(entry->Header.AceSize, 8 + GetLengthSid(&entry->SidStart));
        EXPECT_EQ(SidText(&entry->SidStart), expectedSids[i]);
    }
    EXPECT_TRUE(acl.AddAllowedAce(c.sid, GENERIC_READ));  // repeats are not merged
    EXPECT_EQ(acl.acl->AceCount, 4);
}

TEST(KeyAclAddAllowedAce, RefusesMissingAndMalformedSids) {
    KeyAcl acl;
    BYTE zeroed[SECURITY_MAX_SID_SIZE] = {};
    BYTE garbage[SECURITY_MAX_SID_SIZE];
    memset(garbage, 0xEE, sizeof garbage);
    EXPECT_FALSE(acl.AddAllowedAce(nullptr, GENERIC_ALL));
    EXPECT_FALSE(acl.AddAllowedAce(zeroed, GENERIC_ALL));
    EXPECT_FALSE(acl.AddAllowedAce(garbage, GENERIC_ALL));
    EXPECT_EQ(acl.acl->AceCount, 0);
}

TEST(KeyAclAddAllowedAce, GoesBetweenExplicitAndInheritedEntries) {
    KeyAcl acl;
    Sid explicitSid(L"S-1-5-32-544"), inheritedSid(L"S-1-5-18"), added(L"S-1-1-0");
    ASSERT_TRUE(AddAccessAllowedAce(acl.acl, ACL_REVISION, KEY_READ, explicitSid.sid));
    ASSERT_TRUE(AddAccessAllowedAceEx(acl.acl, ACL_REVISION, INHERITED_ACE, KEY_READ, inheritedSid.sid));
    ASSERT_TRUE(AddAccessDeniedAceEx(acl.acl, ACL_REVISION, INHERIT_ONLY_ACE | CONTAINER_INHERIT_ACE, KEY_WRITE,
                                     inheritedSid.sid));
    EXPECT_TRUE(acl.AddAllowedAce(added.sid, GENERIC_READ));
    ASSERT_EQ(acl.acl->AceCount, 4);
    EXPECT_EQ(SidText(&reinterpret_cast<ACCESS_ALLOWED_ACE*>(Entry(acl.acl, 1))->SidStart), L"S-1-1-0");
    EXPECT_TRUE(IsExplicitAce(acl.acl, 0));
    EXPECT_TRUE(IsExplicitAce(acl.acl, 1));
    EXPECT_FALSE(IsExplicitAce(acl.acl, 2));
    EXPECT_FALSE(IsExplicitAce(acl.acl, 3));
    EXPECT_FALSE(IsExplicitAce(acl.acl, 4));  // no such entry
}

TEST(KeyAclAddAllowedAce, WithOnlyInheritedEntriesTheNewOneGoesFirst) {
    KeyAcl acl;
    Sid inheritedSid(L"S-1-5-18"), added(L"S-1-1-0");
    ASSERT_TRUE(AddAccessAllowedAceEx(acl.acl, ACL_REVISION, INHERITED_ACE, KEY_READ, inheritedSid.sid));
    EXPECT_TRUE(acl.AddAllowedAce(added.sid, GENERIC_READ));
    EXPECT_EQ(SidText(&reinterpret_cast<ACCESS_ALLOWED_ACE*>(Entry(acl.acl, 0))->SidStart), L"S-1-1-0");
}

TEST(KeyAclAddAllowedAce, StopsWhenTheBufferIsFull) {
    KeyAcl acl;
    Sid sid(L"S-1-5-21-1111111111-2222222222-3333333333-1001");
    int added = 0;
    while (acl.AddAllowedAce(sid.sid, GENERIC_READ) && added < 1000) {
        ++added;
    }
    EXPECT_GT(added, 10);
    EXPECT_LT(added, 1000);
    // It stopped because the next entry would not fit, not before.
    ACL_SIZE_INFORMATION size{};
    ASSERT_TRUE(GetAclInformation(acl.acl, &size, sizeof size, AclSizeInformation));
    EXPECT_EQ(size.AceCount, static_cast<DWORD>(added));
    EXPECT_LT(size.AclBytesFree, 8 + GetLengthSid(sid.sid));
}

TEST(KeyAclApplyToKey, ReplacesTheDaclAndSetsTheOwner) {
    ScratchKey scratch;
    const std::wstring user = CurrentUserSid();
    Sid owner(user.c_str()), everyone(L"S-1-1-0");
    KeyAcl acl;
    acl.AddAllowedAce(owner.sid, GENERIC_ALL);
    acl.AddAllowedAce(everyone.sid, GENERIC_READ);
    ASSERT_TRUE(acl.ApplyToKey(scratch.path.c_str(), owner.sid));
    KeySecurity security = ReadUsersKeySecurity(scratch.subkey);
    ASSERT_TRUE(security.read);
    EXPECT_EQ(security.owner, user);
    ASSERT_EQ(security.entries.size(), 2u);
    EXPECT_EQ(security.entries[0].sid, user);
    EXPECT_EQ(security.entries[0].mask, static_cast<ACCESS_MASK>(GENERIC_ALL));
    EXPECT_EQ(security.entries[1].sid, L"S-1-1-0");
    EXPECT_EQ(security.entries[1].mask, static_cast<ACCESS_MASK>(GENERIC_READ));
}

TEST(KeyAclApplyToKey, TakesOwnershipWhenTheDaclMayNotBeWritten) {
    ScratchKey scratch;
    const std::wstring user = CurrentUserSid();
    const std::wstring locked = scratch.subkey + L"\\Locked";
    RawCreateKey(HKEY_USERS, locked);
    ASSERT_TRUE(SetUsersKeyOwner(locked, L"S-1-5-18"));
    DenyToCurrentUser(locked, WRITE_DAC);  // taking ownership stays allowed

    Sid owner(user.c_str()), everyone(L"S-1-1-0");
    KeyAcl acl;
    acl.AddAllowedAce(everyone.sid, GENERIC_ALL);
    EXPECT_FALSE(acl.ApplyToKey(scratch.Path(L"Locked").c_str(), nullptr));
    EXPECT_EQ(ReadUsersKeySecurity(locked).owner, L"S-1-5-18");
    EXPECT_TRUE(acl.ApplyToKey(scratch.Path(L"Locked").c_str(), owner.sid));
    KeySecurity security = ReadUsersKeySecurity(locked);
    EXPECT_EQ(security.owner, user);
    ASSERT_EQ(security.entries.size(), 1u);
    EXPECT_EQ(security.entries[0].sid, L"S-1-1-0");
}

TEST(KeyAclApplyToKey, APathWithoutObjectNameTouchesNothing) {
    if (sizeof(void*) != 4) {
        GTEST_SKIP() << "a 64-bit process has the 64-bit view's names: this would change the machine's Software key";
    }
    KeyAcl acl;
    Sid everyone(L"S-1-1-0");
    acl.AddAllowedAce(everyone.sid, GENERIC_ALL);
    // The key exists and its object name in our own view could be changed: only the missing
    // name of the 64-bit view under WOW64 stops the call.
    ASSERT_TRUE(RegistryEntryExists(L"HKLM64\\Software", nullptr));
    EXPECT_FALSE(acl.ApplyToKey(L"HKLM64\\Software", everyone.sid));
}

}  // namespace
