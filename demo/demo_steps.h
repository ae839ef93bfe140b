// The steps of the demo host, one per family, run in this order by main().
#pragma once

#include <string>

namespace demo {

// Prints a heading, so that each step's output stands apart.
void Heading(const char* title);
// Prints a text file to the terminal, each line indented.
void PrintFile(const std::string& path);

// Folders in the registry, the debug report with a forced rotation.
void RunFoundationStep();
// Data-file paths split into their elements; the process temporary folder made and removed.
void RunPathsStep();
// A peak table by data-format settings, in this process's locale and in a comma locale.
void RunNumbersStep();
// A synthetic chromatogram compensated, measured at its peak tops and thinned for drawing.
void RunChromStep();
// A small ICF settings document as text, result labels, and a section of an ASCII export cut into values.
void RunReportTextStep();
// "ovsdemo --numbers-table [event]": prints only that table (in the process's locale); true when
// the command line asked for it.
bool RunNumbersTableSwitch(int argc, char** argv);

} // namespace demo
