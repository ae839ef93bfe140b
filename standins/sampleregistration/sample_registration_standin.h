// The sample-registration program as a stand-in (OVSSampleRegistration.dll). It serves two classes
// of IOVSSampleRegistration, registered with their class names:
//   "OVSSampleRegistration.Program"  a usable program: its name is "Sample registration"
//   "OVSSampleRegistration.Unnamed"  a program that is not usable: its name is empty
// DllCanUnloadNow answers S_OK once every object is released.
#pragma once

#include "ovssampleregistration.h"

inline constexpr char kSampleRegistrationProgram[] = "OVSSampleRegistration.Program";
inline constexpr char kSampleRegistrationUnnamed[] = "OVSSampleRegistration.Unnamed";
inline constexpr wchar_t kSampleRegistrationName[] = L"Sample registration";

// {5B0E3C71-2A94-4D6B-9E17-C3F8A06D4E25}
inline constexpr CLSID CLSID_OvsSampleRegistration = {
    0x5b0e3c71, 0x2a94, 0x4d6b, {0x9e, 0x17, 0xc3, 0xf8, 0xa0, 0x6d, 0x4e, 0x25}};
// {5B0E3C72-2A94-4D6B-9E17-C3F8A06D4E25}
inline constexpr CLSID CLSID_OvsSampleRegistrationUnnamed = {
    0x5b0e3c72, 0x2a94, 0x4d6b, {0x9e, 0x17, 0xc3, 0xf8, 0xa0, 0x6d, 0x4e, 0x25}};
