// The version component as its clients see it: an interface whose slot 12 hands out a 32-bit word
// and whose slot 16 answers a version text for a request number.
#pragma once

#include <windows.h>
#include <unknwn.h>

// {A4712AE5-DFB8-498E-9C35-5D5F819A9287}
inline constexpr CLSID kVersionComponentClass = {
    0xA4712AE5, 0xDFB8, 0x498E, {0x9C, 0x35, 0x5D, 0x5F, 0x81, 0x9A, 0x92, 0x87}};
// {A70470E2-5913-4514-9E95-6A7E97350098}
inline constexpr IID kVersionComponentInterface = {
    0xA70470E2, 0x5913, 0x4514, {0x9E, 0x95, 0x6A, 0x7E, 0x97, 0x35, 0x00, 0x98}};

// Environment of the stand-in: the word slot 12 answers (decimal or 0x hex, default 0), and the
// failures to give, as "step=hr" entries separated by ';' with step "create", "word" or "version"
// (hr in hex); "version=null" answers S_OK without a text.
inline constexpr char kVersionWordVariable[] = "OVS_VERSION_WORD";
inline constexpr char kVersionFailVariable[] = "OVS_VERSION_FAIL";
// A version text to answer in place of the module's own (for long or foreign texts).
inline constexpr char kVersionTextVariable[] = "OVS_VERSION_TEXT";

// The request number for the product version of the component's own version resource.
inline constexpr LONG kProductVersionRequest = 3000;
