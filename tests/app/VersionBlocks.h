#pragma once
// Identifiers of the test version blocks in VersionBlocks.rc (RT_VERSION resources).

#define IDV_COMMAS 2
#define IDV_SEMICOLONS 3
#define IDV_TWO_TRANSLATIONS 4
#define IDV_NO_PRODUCT_VERSION 5
#define IDV_LONG_VERSION 6
#define IDV_NO_TRANSLATION 7
#define IDV_SHORT_TRANSLATION 8

// The ProductVersion of IDV_LONG_VERSION: "0123456789" repeated to 300 characters.
#define LONG_VERSION_LENGTH 300
