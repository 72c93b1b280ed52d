// The registry calls of ProgId discovery, without the matching and the lists: the floor that
// discovery is measured against. It can also keep the texts it reads, which are exactly the
// texts discovery matches.
#pragma once

#include <string>
#include <vector>

#include "text/wide_string.h"

struct DiscoveryTexts {
    std::vector<WideString> commands;    // open commands of classic ProgIds, both roots
    std::vector<WideString> identities;  // identity texts of the user's AppX ProgIds
};

void DiscoveryFloor(const std::wstring& sid, DiscoveryTexts* kept = nullptr);

// One open command of `length` characters made to cost matching the most: it holds both
// Chromium Edge's and Notepad's literals, so no check spares the pattern, and then near
// misses of both, so that every line position looks like a start. It matches neither.
WideString NearMissCommand(size_t length);
