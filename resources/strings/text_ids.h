// The ids of the texts in the string tables, shared by the tables and the code that reads them.
// An app's name is the text whose id is that of its tile picture, IDP_<app> of
// resources/pictures/picture_ids.h (AppLook::normalImageId).
#pragma once

#define IDS_HEADLINE 1
#define IDS_UPDATES_LINK 2
#define IDS_HELP_LINK 3
#define IDS_DONATE_LINK 4
// %ls: the major version of Windows, "10" or "11".
#define IDS_METHOD1_TEXT 5
#define IDS_METHOD1_LINK 6
#define IDS_METHOD2_TEXT 7
#define IDS_METHOD1_FAILED 8
#define IDS_METHOD1_SUCCEEDED 9
// %ls: the file types Windows kept, joined by IDS_KEPT_SEPARATOR, or as IDS_KEPT_MORE gives them.
#define IDS_KEPT 10
// Between two file types in the list.
#define IDS_KEPT_SEPARATOR 11
// %ls: the first file types; %u: how many more there are.
#define IDS_KEPT_MORE 12
#define IDS_PERMISSIONS_NOT_FIXED 13
// %ls: the app's name.
#define IDS_TILE_UNBLOCKED 14
#define IDS_TILE_BLOCKED 15
#define IDS_TILE_ABSENT 16
// The faces to write in, the first one installed; separated by semicolons.
#define IDS_FONT_FACES 17
// After IDS_METHOD1_FAILED when no file type could be reset. %ls: as for IDS_KEPT.
#define IDS_KEPT_NOT_RESET 18
// What pressing a tile does, as screen readers name a button's default action.
#define IDS_TILE_ACTION 19
// After a live tile's state (IDS_TILE_UNBLOCKED, IDS_TILE_BLOCKED), which %1 stands for: %2
// how many file types the app is registered for on this PC, %3 the most common of them.
#define IDS_TILE_FILE_TYPES 40
#define IDS_TILE_FILE_TYPES_BLOCKED 41
// %1: the tile's state, for an app registered for no file type.
#define IDS_TILE_NO_FILE_TYPES 42
