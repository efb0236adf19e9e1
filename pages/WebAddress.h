#pragma once

#include "framework/CString.h"

// Addresses from the configuration service end up behind links. Only web
// addresses may be opened: a local path, a network share or another scheme
// would have the shell open or run something on the user's machine.

// Whether the text is an http:// or https:// address (scheme in any case).
bool IsWebAddress(const CString& address);

// Opens a web address with the shell; anything else is ignored.
void OpenWebAddress(const CString& address);

// The address as it may stand inside href="..." of link-control markup: the
// characters that would end the attribute or start markup are percent-encoded,
// which leaves the address the same for a browser.
CString LinkMarkupAddress(const CString& address);
