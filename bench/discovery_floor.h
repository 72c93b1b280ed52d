// The registry calls of ProgId discovery, without the matching and the lists: the floor that
// discovery is measured against.
#pragma once

#include <string>

void DiscoveryFloor(const std::wstring& sid);
