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
// The storage server registered; a per-system value and a registry value migrated on first read.
void RunStorageStep();
// An off-screen rectangle moved onto the desktop, a lock report, a dump of a crashing child.
void RunDiagnosticsStep();
// The diagnostics step's children ("--hold-file path", "--crash"); true when the command line was one.
bool RunDiagnosticsChildSwitch(int argc, char** argv);
// Two sleepers through the launching manager, the process registry, the manager stopped.
void RunProcessesStep();
// "ovsdemo --sleep <ms>": sleeps (the demo's own sleeper program); true when asked for.
bool RunSleepSwitch(int argc, char** argv);
// Documents and old flat files classified; the installed products and the grid font.
void RunFileTypesStep();
// System check file names, the run-mode switch of a user, and the graph-axis right.
void RunSysCheckStep();
// A small ICF settings document as text, result labels, and a section of an ASCII export cut into values.
void RunReportTextStep();
// A report written as a PDF and a PNG by the print process.
void RunPrintStep();
// Names derived from a sample data file; a small data tree copied twice automatically.
void RunDerivedNamesStep();
// "ovsdemo --numbers-table [event]": prints only that table (in the process's locale); true when
// the command line asked for it.
bool RunNumbersTableSwitch(int argc, char** argv);

} // namespace demo
