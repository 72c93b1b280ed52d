// Font faces: which face of a list is installed for the script of a language.
#include "ui/font_face.h"

#include <cwchar>

namespace {

// The character set of the language's script, from its ANSI code page.
BYTE scriptCharset(LANGID language) {
    DWORD codePage = 0;
    CHARSETINFO info{};
    if (!GetLocaleInfoW(MAKELCID(language, SORT_DEFAULT), LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                        reinterpret_cast<wchar_t*>(&codePage), sizeof codePage / sizeof(wchar_t)) ||
        !TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<UINT_PTR>(codePage)), &info, TCI_SRCCODEPAGE)) {
        return DEFAULT_CHARSET;
    }
    return static_cast<BYTE>(info.ciCharset);
}

int CALLBACK takeFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM found) {
    // Faces named with "@" are the same fonts turned for vertical writing.
    if (font->lfFaceName[0] == L'@') {
        return 1;
    }
    wcscpy(reinterpret_cast<wchar_t*>(found), font->lfFaceName);
    return 0;
}

// Into `found` (when it is not empty) the installed face named `name` with that character set,
// or with an empty name, the first installed face with it.
void findFace(HDC dc, BYTE charset, const wchar_t* name, size_t length, wchar_t (&found)[LF_FACESIZE]) {
    LOGFONTW wanted{};
    wanted.lfCharSet = charset;
    wcsncpy(wanted.lfFaceName, name, length);
    found[0] = 0;
    EnumFontFamiliesExW(dc, &wanted, takeFace, reinterpret_cast<LPARAM>(found), 0);
}

}  // namespace

void chooseFontFace(const wchar_t* faces, LANGID language, wchar_t (&face)[LF_FACESIZE]) {
    const BYTE charset = scriptCharset(language);
    const size_t firstLength = wcscspn(faces, L";");
    wchar_t found[LF_FACESIZE] = {};
    HDC dc = GetDC(nullptr);
    for (const wchar_t* name = faces; dc && *name && !found[0];) {
        const size_t length = wcscspn(name, L";");
        if (length > 0 && length < LF_FACESIZE) {
            findFace(dc, charset, name, length, found);
        }
        name += name[length] ? length + 1 : length;
    }
    if (dc && !found[0]) {
        findFace(dc, charset, L"", 0, found);
    }
    if (dc) {
        ReleaseDC(nullptr, dc);
    }
    if (!found[0] && firstLength < LF_FACESIZE) {
        wcsncpy(found, faces, firstLength);
        found[firstLength] = 0;
    }
    wcscpy(face, found);
}
