#pragma once

#include "framework/CString.h"

// Deletes a folder with everything in it. Files that are in use are
// scheduled for deletion at the next restart.
//
// Minimal version until the process helpers land.
void DeleteFolderTree(const CString& folder);
