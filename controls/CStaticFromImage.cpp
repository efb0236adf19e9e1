#include "controls/CStaticFromImage.h"

#include <objidl.h>
#include <gdiplus.h>

#include "controls/LoadImageFromResource.h"
#include "framework/CPaintDC.h"

CStaticFromImage::CStaticFromImage() {
    OnMessage(WM_PAINT, [this](WPARAM, LPARAM, LRESULT& result) {
        Paint();
        result = 0;
        return true;
    });
}

void CStaticFromImage::SetImage(std::shared_ptr<Gdiplus::Image> picture) {
    image = std::move(picture);
    if (HasWindow()) {
        Invalidate(true);
    }
}

void CStaticFromImage::LoadFromResource(UINT id, const wchar_t* type) {
    SetImage(LoadImageFromResource(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), type));
}

void CStaticFromImage::Paint() {
    CPaintDC dc(m_hWnd);
    Gdiplus::Graphics graphics(dc.GetSafeHdc());
    if (image) {
        RECT client;
        GetClientRect(&client);
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
        graphics.DrawImage(image.get(), 0, 0, client.right - client.left,
                           client.bottom - client.top);
    }
}
