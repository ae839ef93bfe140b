// A small host of the library: each step shows one family at work and prints what it did.
#include "demo_steps.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace demo {

void Heading(const char* title) {
    std::printf("\n=== %s ===\n", title);
}

void PrintFile(const std::string& path) {
    std::printf("--- %s\n", path.c_str());
    std::ifstream file(path, std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        std::printf("    %s\n", line.c_str());
    }
}

} // namespace demo

int main(int argc, char** argv) {
    if (demo::RunNumbersTableSwitch(argc, argv) || demo::RunDiagnosticsChildSwitch(argc, argv) ||
        demo::RunSleepSwitch(argc, argv)) {
        return 0;
    }
    demo::RunFoundationStep();
    demo::RunPathsStep();
    demo::RunNumbersStep();
    demo::RunChromStep();
    demo::RunStorageStep();
    demo::RunDiagnosticsStep();
    demo::RunProcessesStep();
    demo::RunFileTypesStep();
    demo::RunSysCheckStep();
    demo::RunReportTextStep();
    demo::RunPrintStep();
    demo::RunDerivedNamesStep();
    std::fflush(stdout);
    return 0;
}
