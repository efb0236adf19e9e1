#pragma once

#include <memory>

#include "framework/CWinApp.h"
#include "framework/GdiplusSession.h"

// The process: common controls, rich edit and GDI+ prepared, then the wizard
// dialog run modally. GDI+ is shut down when the object goes.
class CTallwickApp : public CWinApp {
public:
    ~CTallwickApp() override;
    BOOL InitInstance() override;

private:
    std::unique_ptr<GdiplusSession> gdiplus;
};
