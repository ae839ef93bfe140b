// A second process of the test executable in another user locale.
#pragma once

#include "test_support.h"

namespace ovs::test {

// True when the tests run under Wine rather than on Windows itself.
bool RunsUnderWine();

// Runs a child mode, as RunChild does, in a process whose user locale is `locale`, a Unix locale
// name such as "de_DE.UTF-8" or "ja_JP.UTF-8" (see platform notes: "," decimal point, code page 932).
//
// Wine fixes a process's locale from its Unix environment, and a process that a Wine process starts
// inherits its parent's Unix environment whatever its Windows environment says, so RunChild's
// environment cannot change the locale. The child is therefore started as a Unix command,
// "/usr/bin/env LC_ALL=<locale> wine <this executable> ...", which Wine runs with the Windows
// environment. Such a process has no handle to wait on: it reports its exit code through a file and
// a named event. Only under Wine; `finished` is false elsewhere.
ChildResult RunChildInLocale(const std::string& locale, const std::string& mode,
                             const std::vector<std::string>& args = {}, DWORD timeoutMs = 60000);
// The same in a process whose time zone is `zone`, a Unix zone name such as "Asia/Tokyo" (Wine takes
// the zone from the Unix environment too).
ChildResult RunChildInTimeZone(const std::string& zone, const std::string& mode,
                               const std::vector<std::string>& args = {}, DWORD timeoutMs = 60000);
// The same with any one Unix environment variable, given as "NAME=value".
ChildResult RunChildWithUnixVariable(const std::string& assignment, const std::string& mode,
                                     const std::vector<std::string>& args = {}, DWORD timeoutMs = 60000);

} // namespace ovs::test
