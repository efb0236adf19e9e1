#pragma once

#include <map>

#include "framework/CString.h"

// Folder names that offers write in braces inside paths, such as
// {commonpf}\Vendor\app.exe, mapped to the folders of this machine.
using PathMacroTable = std::map<CString, CString>;

// Builds the table for this system: {commonpf} stands for the Program Files
// folder that matches the system, {commonpf64} exists only on 64-bit Windows.
PathMacroTable BuildPathMacros();

// Replaces every known macro in path, using the configuration's table.
CString ExpandPathMacros(const CString& path);

// Same, with an explicit table.
CString ExpandPathMacros(const CString& path, const PathMacroTable& macros);
