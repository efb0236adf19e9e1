#pragma once

#include "framework/CWnd.h"

// A static control of a dialog.
class CStatic : public CWnd {};
