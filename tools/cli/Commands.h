// Subcommands of the brindle command. Each takes the arguments after its own name and returns the
// process exit status: 0 on success, 1 when the work failed, 2 for a usage error.
#pragma once

int RunRenderCommand(int argc, char** argv);
int RunDemoCommand(int argc, char** argv);
int RunInfoCommand(int argc, char** argv);
int RunValidateCommand(int argc, char** argv);
int RunSavePresetCommand(int argc, char** argv);
int RunShowPresetCommand(int argc, char** argv);
int RunPlotCommand(int argc, char** argv);
int RunEditorCommand(int argc, char** argv);
int RunResponseCommand(int argc, char** argv);
int RunPlayCommand(int argc, char** argv);
// Writes a new plug-in project built on the installed framework.
int RunNewPluginCommand(int argc, char** argv);
