#pragma once
// Identifiers of the test version blocks in VersionBlocks.rc (RT_VERSION resources).

#define IDV_COMMAS 2
#define IDV_SEMICOLONS 3
#define IDV_TWO_TRANSLATIONS 4
#define IDV_NO_PRODUCT_VERSION 5
#define IDV_LONG_VERSION 6
#define IDV_NO_TRANSLATION 7
#define IDV_SHORT_TRANSLATION 8
#define IDV_FITTING_VERSION 9
#define IDV_ONE_OVER_VERSION 10

// The ProductVersion of IDV_LONG_VERSION: "0123456789" repeated to 300 characters; those of
// IDV_FITTING_VERSION and IDV_ONE_OVER_VERSION are its first 250 and 251 characters.
#define LONG_VERSION_LENGTH 300
