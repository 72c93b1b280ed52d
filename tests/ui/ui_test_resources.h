// Resource ids of the toolkit tests' pictures.
#pragma once

#define TEST_HALVES_100 200
#define TEST_EMBLEM_64 220
#define TEST_SQUARE_48 221
#define TEST_BROKEN 230
