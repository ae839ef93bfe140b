#include "locale_child.h"
#include "unique_resource.h"

#include <cstdlib>

namespace ovs::test {

namespace {

constexpr char kRelayMode[] = "ovs-locale-relay";

std::string Quote(const std::string& text) {
    return "\"" + text + "\"";
}

// args: event name, result file, then the mode and its arguments. Runs the mode, writes its exit
// code to the file and signals the event.
int RunRelay(const std::vector<std::string>& args) {
    if (args.size() < 3) {
        return 0x100;
    }
    std::vector<std::string> line = {ExecutablePath(), "--child"};
    line.insert(line.end(), args.begin() + 2, args.end());
    std::vector<char*> argv;
    for (std::string& arg : line) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    const int result = DispatchChild(static_cast<int>(line.size()), argv.data()).value_or(2);
    const std::string text = std::to_string(result);
    {
        unique_hfile file(CreateFileA(args[1].c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
    unique_handle done(OpenEventA(EVENT_MODIFY_STATE, FALSE, args[0].c_str()));
    SetEvent(done.get());
    return result;
}

ChildMode relayMode(kRelayMode, RunRelay);

} // namespace

bool RunsUnderWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

ChildResult RunChildInLocale(const std::string& locale, const std::string& mode,
                             const std::vector<std::string>& args, DWORD timeoutMs) {
    return RunChildWithUnixVariable("LC_ALL=" + locale, mode, args, timeoutMs);
}

ChildResult RunChildInTimeZone(const std::string& zone, const std::string& mode,
                               const std::vector<std::string>& args, DWORD timeoutMs) {
    return RunChildWithUnixVariable("TZ=" + zone, mode, args, timeoutMs);
}

ChildResult RunChildWithUnixVariable(const std::string& assignment, const std::string& mode,
                                     const std::vector<std::string>& args, DWORD timeoutMs) {
    if (!RunsUnderWine()) {
        return {0, false};
    }
    static LONG counter = 0;
    const std::string eventName = "Local\\ovs-locale-child-" + std::to_string(GetCurrentProcessId()) + "-" +
                                  std::to_string(InterlockedIncrement(&counter));
    unique_handle done(CreateEventA(nullptr, TRUE, FALSE, eventName.c_str()));
    TempFolder folder;
    const std::string resultFile = folder / "exit.txt";
    std::string command = "/usr/bin/env " + assignment + " wine " + Quote(ExecutablePath()) + " --child " +
                          kRelayMode + " " + Quote(eventName) + " " + Quote(resultFile) + " " + Quote(mode);
    for (const std::string& arg : args) {
        command += " " + Quote(arg);
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!done || !CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &startup, &process)) {
        return {GetLastError(), false};
    }
    unique_handle processHandle(process.hProcess);
    unique_handle threadHandle(process.hThread);
    if (WaitForSingleObject(done.get(), timeoutMs) != WAIT_OBJECT_0) {
        return {0, false};
    }
    const std::string text = ReadFileText(resultFile);
    return {static_cast<DWORD>(std::strtoul(text.c_str(), nullptr, 10)), !text.empty()};
}

} // namespace ovs::test
