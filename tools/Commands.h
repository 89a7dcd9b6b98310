// Subcommands of the brindle command. Each takes the arguments after its own name and returns the
// process exit status: 0 on success, 1 when the work failed, 2 for a usage error.
#pragma once

#include <string>

int RunRenderCommand(int argc, char** argv);
int RunDemoCommand(int argc, char** argv);
int RunInfoCommand(int argc, char** argv);
int RunValidateCommand(int argc, char** argv);
int RunSavePresetCommand(int argc, char** argv);
int RunShowPresetCommand(int argc, char** argv);
int RunPlotCommand(int argc, char** argv);
int RunEditorCommand(int argc, char** argv);
int RunResponseCommand(int argc, char** argv);

// Parses a real number that must lie in [lo, hi]; false for anything else (junk, NaN, range).
bool ParseRealInRange(const char* text, double lo, double hi, double& value);
// Parses "on" or "off" into 1 or 0.
bool ParseOnOff(const char* text, int& value);

// Reports a usage error of `brindle <command>` on stderr, pointing at its help text; returns 2.
int CommandUsageError(const char* command, const std::string& message);
// Reports that `brindle <command>` failed, on stderr; returns 1.
int CommandFailure(const char* command, const std::string& message);
