// Written by tools/make-pictures with the pictures; change that, not this.
#pragma once

// The larger copy of each picture has its id plus this.
#define IDP_LARGE_OFFSET 100
#define IDP_EMBLEM 220
#define IDP_REPAIR_ARROW 221
// Each app's tile, and the same with a stop sign.
#define IDP_EDGE 200
#define IDP_EDGE_BLOCKED 210
#define IDP_MAIL 201
#define IDP_MAIL_BLOCKED 211
#define IDP_MOVIES_TV 202
#define IDP_MOVIES_TV_BLOCKED 212
#define IDP_PHOTOS 203
#define IDP_PHOTOS_BLOCKED 213
#define IDP_GROOVE_MUSIC 204
#define IDP_GROOVE_MUSIC_BLOCKED 214
#define IDP_PAINT_3D 205
#define IDP_PAINT_3D_BLOCKED 215
#define IDP_NOTEPAD 206
#define IDP_NOTEPAD_BLOCKED 216
#define IDP_CHROMIUM_EDGE 207
#define IDP_CHROMIUM_EDGE_BLOCKED 217
#define IDP_PAINT 230
#define IDP_PAINT_BLOCKED 240
#define IDP_SNIPPING_TOOL 231
#define IDP_SNIPPING_TOOL_BLOCKED 241
#define IDP_CLIPCHAMP 232
#define IDP_CLIPCHAMP_BLOCKED 242
#define IDP_OUTLOOK 233
#define IDP_OUTLOOK_BLOCKED 243
#define IDP_MEDIA_PLAYER 234
#define IDP_MEDIA_PLAYER_BLOCKED 244
