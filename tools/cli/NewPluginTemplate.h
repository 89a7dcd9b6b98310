// The new-plug-in project, built into the command (cmake/BrindleEmbedTemplate.cmake): each file's
// path and text. TplName and tplname (the plug-in's name as written and in lower case) are plain
// identifiers, so that the template's C++ stays C++ for the formatter; @MAKER@, @MAKER_ID@,
// @UNIQUE_ID@ and @MFR_ID@ only ever stand inside strings. Paths and text are filled in alike.
#pragma once

struct TemplateFile
{
  const char* path;
  const char* text;
};

extern const TemplateFile kNewPluginTemplate[];
extern const int kNewPluginTemplateCount;
