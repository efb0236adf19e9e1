#pragma once

#include "framework/CString.h"

// Deletes a folder with everything in it. A file that is in use or protected,
// and a folder that cannot be removed, are scheduled for deletion at the next
// restart instead. A missing folder is ignored, and so is an empty one, which
// is left in place; empty folders inside the tree go with it. Links to other folders (junctions,
// symbolic links) are removed as links: what they point to is never entered.
void DeleteFolderTree(const CString& folder);
