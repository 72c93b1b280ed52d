#include "support/user_sid.h"

#include <windows.h>
#include <sddl.h>

std::wstring CurrentUserSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return L"";
    }
    BYTE buffer[1024];
    DWORD returned = 0;
    std::wstring result;
    if (GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &returned)) {
        wchar_t* text = nullptr;
        if (ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text)) {
            result = text;
            LocalFree(text);
        }
    }
    CloseHandle(token);
    return result;
}
