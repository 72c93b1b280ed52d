// The file types each app is registered for, most common first.
#include "app/file_types.h"

#include <algorithm>
#include <cwchar>

namespace {

// The types a person knows best come first in what the window names; the rest are alphabetical.
const wchar_t* const kCommonFileTypes[] = {
    L".jpg", L".png",  L".heic", L".gif", L".mp4", L".mp3", L".pdf", L".htm",  L".html", L".txt",
    L".mov", L".wav",  L".mkv",  L".avi", L".wmv", L".m4a", L".wma", L".flac", L".jpeg", L".bmp",
    L".tif", L".webp", L".svg",  L".eml", L".ics", L".vcf", L".log", L".ini",  L".xml",  L".json",
};
constexpr int kCommonCount = sizeof kCommonFileTypes / sizeof kCommonFileTypes[0];

// Registry names compare without regard to letter case; extensions and ProgIds are ASCII.
bool NameLess(const wchar_t* a, const wchar_t* b) {
    return _wcsicmp(a, b) < 0;
}

int Commonness(const wchar_t* extension) {
    for (int i = 0; i < kCommonCount; ++i) {
        if (_wcsicmp(extension, kCommonFileTypes[i]) == 0) {
            return i;
        }
    }
    return kCommonCount;
}

struct Member {
    const wchar_t* progId;
    int app;
};

struct Hit {
    int app;
    int commonness;
    const wchar_t* extension;
    size_t found;  // the machine's rows come first: a type keeps its first spelling

    bool operator<(const Hit& other) const {
        if (app != other.app || commonness != other.commonness) {
            return app != other.app ? app < other.app : commonness < other.commonness;
        }
        const int order = _wcsicmp(extension, other.extension);
        return order != 0 ? order < 0 : found < other.found;
    }
    bool SameType(const Hit& other) const { return app == other.app && _wcsicmp(extension, other.extension) == 0; }
};

}  // namespace

void AssignFileTypes(AppEntry* apps, int appCount, const std::vector<OfferedProgId>& offered) {
    std::vector<Member> members;
    for (int app = 0; app < appCount; ++app) {
        const WideStringList& progIds = apps[app].progIds;
        for (uint32_t i = 0; i < progIds.count; ++i) {
            members.push_back({progIds.items[i].CStr(), app});
        }
    }
    const auto byProgId = [](const Member& a, const Member& b) { return NameLess(a.progId, b.progId); };
    std::sort(members.begin(), members.end(), byProgId);
    std::vector<Hit> hits;
    for (size_t row = 0; row < offered.size(); ++row) {
        const WideString& extension = offered[row].extension;
        const Member wanted{offered[row].progId.CStr(), 0};
        const auto found = std::equal_range(members.begin(), members.end(), wanted, byProgId);
        for (auto member = found.first; member != found.second; ++member) {
            hits.push_back({member->app, Commonness(extension.CStr()), extension.CStr(), row});
        }
    }
    // A type named by both roots, or by several of the app's ProgIds, counts once.
    std::sort(hits.begin(), hits.end());
    hits.erase(std::unique(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) { return a.SameType(b); }),
               hits.end());
    for (const Hit& hit : hits) {
        apps[hit.app].fileTypes.Append(hit.extension);
    }
}
